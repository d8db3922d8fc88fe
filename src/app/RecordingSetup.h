// What the recorder records: read from the settings file when the program starts, changed
// with the dialog "Aufnahme" and its OK, and handed to the recorder, which follows it from the
// next tuning. The composition root owns it; the main window's "Aufnahme ..." opens its dialog.
#pragma once

#include "sound/Recorder.h"
#include "sound/RecordingChoice.h"
#include "sound/SoundServer.h"
#include "storage/SettingsFile.h"

#include <memory>
#include <optional>
#include <string>
#include <thread>
#include <vector>

class QWidget;

namespace skedula {

class RecordingSetup {
public:
    RecordingSetup(Recorder& recorder, SettingsFile file = SettingsFile());
    // Waits for a listing of the sources still under way (at most its limit).
    ~RecordingSetup();
    RecordingSetup(const RecordingSetup&) = delete;
    RecordingSetup& operator=(const RecordingSetup&) = delete;

    // The box text for [Recording] values that are not valid, naming each key and value;
    // nothing when they are valid. Until they are put right nothing is recorded.
    std::optional<std::string> ProblemReport() const;
    // What the dialog opens with.
    const RecordingChoice& DialogChoice() const { return dialogChoice_; }

    // OK: checks the choice, writes the settings file, then hands the choice to the recorder.
    // Throws Error, changing nothing, when the choice is not valid or the file cannot be
    // written.
    void Accept(const RecordingChoice& choice);
    // The dialog "Aufnahme", modal. The sources are listed on a thread of their own and shown
    // when the server has answered, so that a server that hangs holds neither the window nor
    // the watch.
    void OpenDialog(QWidget* parent);

private:
    struct Listing;

    Recorder& recorder_;
    SettingsFile file_;
    RecordingChoice dialogChoice_;
    std::vector<std::string> problems_;
    std::thread lister_;
};

} // namespace skedula
