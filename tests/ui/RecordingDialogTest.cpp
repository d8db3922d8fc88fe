// The dialog "Aufnahme" on its own: it gives back the choice it was opened with, before and
// after the sound server's sources arrive.
#include "ui/RecordingDialog.h"

#include <gtest/gtest.h>

namespace skedula {
namespace {

const std::vector<SoundSource> Sources = {
    {"alsa_input.usb-radio", "USB Audio Device", false},
    {"alsa_output.pci.monitor", "Monitor of Built-in Audio", true}};

TEST(RecordingDialog, GivesBackTheChoiceItWasOpenedWith) {
    const RecordingChoice none{std::nullopt, "/home/hörer/Aufnahmen", 30};
    const RecordingChoice monitor{"alsa_output.pci.monitor", "/srv/rec", 0};
    const RecordingChoice unplugged{"alsa_input.usb-other", "/srv/rec", 600};
    for (const RecordingChoice& choice : {none, monitor, unplugged}) {
        RecordingDialog dialog(choice);
        EXPECT_EQ(dialog.choice(), choice);
        dialog.ShowSources(Sources);
        EXPECT_EQ(dialog.choice(), choice);
        EXPECT_EQ(dialog.SourceBox->count(), choice == unplugged ? 4 : 3);
        dialog.ShowSources({}); // every source gone: the choice still stands
        EXPECT_EQ(dialog.choice(), choice);
    }
}

} // namespace
} // namespace skedula
