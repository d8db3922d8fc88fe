// The "Liste" menu's file dialogs, the platform's own under Wine: their titles and filters, the
// default extension, the question before a file is overwritten, and the name and filter each
// dialog keeps for its next showing.
#include "FormRig.h"

#include <gtest/gtest.h>

#include <fstream>

namespace skedula {
namespace {

using uitest::Dialog;
using uitest::DialogWatcher;
using uitest::FormRig;

// The Explorer-style dialog's file name box (edt1 in older, cmb13 in newer layouts) and its
// filter list (cmb1).
constexpr int kFileNameEdit = 0x0480;
constexpr int kFileNameCombo = 0x047C;
constexpr int kFilterList = 0x0470;

std::string FileNameShown(HWND dialog) {
    for (int id : {kFileNameCombo, kFileNameEdit})
        if (HWND box = ::GetDlgItem(dialog, id))
            return WindowText(box);
    return {};
}

void TypeFileName(HWND dialog, const std::string& name) {
    for (int id : {kFileNameCombo, kFileNameEdit})
        ::SetDlgItemTextA(dialog, id, name.c_str());
}

std::vector<std::string> Filters(HWND dialog) {
    HWND list = ::GetDlgItem(dialog, kFilterList);
    std::vector<std::string> filters;
    for (int i = 0; i < ::SendMessageA(list, CB_GETCOUNT, 0, 0); ++i) {
        char text[128] = {};
        ::SendMessageA(list, CB_GETLBTEXT, i, reinterpret_cast<LPARAM>(text));
        filters.push_back(text);
    }
    return filters;
}

void ChooseFilter(HWND dialog, int index) {
    HWND list = ::GetDlgItem(dialog, kFilterList);
    ::SendMessageA(list, CB_SETCURSEL, index, 0);
    // What a pick from the list tells the dialog.
    for (WORD notice : {CBN_SELCHANGE, CBN_SELENDOK})
        ::SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(kFilterList, notice),
                       reinterpret_cast<LPARAM>(list));
}

TEST(ListMenu, SavingAddsTheExtensionKeepsNameAndFilterAndAsksBeforeReplacing) {
    FormRig rig;
    rig.Show();
    char temp[MAX_PATH] = {};
    ::GetTempPathA(MAX_PATH, temp);
    const std::string folder =
        std::string(temp) + "skedula-dialog-" + std::to_string(::GetCurrentProcessId());
    ::CreateDirectoryA(folder.c_str(), nullptr);
    const std::string saved = folder + "\\liste.txt";

    // Each showing: what it showed, then the user's answer.
    struct Showing {
        std::string caption, name;
        std::vector<std::string> filters;
        int filter = -1;
    };
    std::vector<Showing> showings;
    int replaceQuestions = 0;
    std::function<void(HWND)> user;
    DialogWatcher watcher([&](const Dialog& dialog) {
        if (::GetDlgItem(dialog.window, kFilterList) == nullptr) { // the question to replace
            ++replaceQuestions;
            ::PostMessageA(dialog.window, WM_COMMAND, IDYES, 0);
            return;
        }
        showings.push_back({dialog.caption, FileNameShown(dialog.window), Filters(dialog.window),
                            static_cast<int>(::SendDlgItemMessageA(dialog.window, kFilterList,
                                                                   CB_GETCURSEL, 0, 0))});
        user(dialog.window);
    });
    const auto save = [&](std::function<void(HWND)> answer) {
        user = std::move(answer);
        ::SendMessageA(rig.window(), WM_COMMAND, TSkedulaForm::Speicherm1Id, 0);
    };

    save([&](HWND dialog) { // a name without extension
        TypeFileName(dialog, folder + "\\liste");
        DialogWatcher::PressOk({dialog, {}, {}, nullptr});
    });
    std::ofstream(saved) << "x"; // the fake list files write nothing
    save([&](HWND dialog) {      // the same name again, with all files shown
        ChooseFilter(dialog, 1);
        DialogWatcher::PressOk({dialog, {}, {}, nullptr});
    });
    save([&](HWND dialog) { ::PostMessageA(dialog, WM_COMMAND, IDCANCEL, 0); });

    ASSERT_EQ(showings.size(), 3u);
    for (const Showing& showing : showings)
        EXPECT_EQ(showing.caption, "Liste speichern ...");
    EXPECT_EQ(showings[0].name, "");
    EXPECT_EQ(showings[0].filters,
              (std::vector<std::string>{"Skedula (*.txt)", "Alle Dateien (*.*)"}));
    EXPECT_EQ(showings[0].filter, 0);
    EXPECT_EQ(showings[1].name.find("liste.txt") != std::string::npos, true) << showings[1].name;
    EXPECT_EQ(showings[2].filter, 1);
    EXPECT_EQ(replaceQuestions, 1);
    EXPECT_EQ(rig.lists.calls, (std::vector<std::string>{"Save " + saved, "Save " + saved}));
    EXPECT_EQ(rig.form().SaveDialog.filterIndex(), 2u);
    EXPECT_EQ(rig.form().OpenDialog.filterIndex(), 1u); // each dialog keeps its own

    ::DeleteFileA(saved.c_str());
    ::RemoveDirectoryA(folder.c_str());
}

} // namespace
} // namespace skedula
