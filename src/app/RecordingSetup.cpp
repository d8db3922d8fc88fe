#include "app/RecordingSetup.h"

#include "app/RecordingSettings.h"
#include "engine/Error.h"
#include "ui/RecordingDialog.h"

#include <QTimer>

#include <mutex>

namespace skedula {

namespace {

// How long the dialog waits for the sound server's list of sources at most.
constexpr std::chrono::seconds ListingLimit(3);

} // namespace

// The sources as a thread found them, for the dialog to fetch.
struct RecordingSetup::Listing {
    std::mutex mutex;
    bool done = false;
    std::vector<SoundSource> sources;
    std::string failure;
};

RecordingSetup::RecordingSetup(Recorder& recorder, SettingsFile file)
    : recorder_(recorder), file_(std::move(file)) {
    dialogChoice_.folder = DefaultRecordingFolder();
    try {
        RecordingSettings settings = ReadRecordingSettings(file_.Load());
        dialogChoice_ = settings.choice;
        problems_ = std::move(settings.problems);
    } catch (const Error&) {
        // A file that cannot be read is named by the radio setup, which reads it too; the
        // recorder keeps its default: nothing recorded.
    }
    // Settings that are not valid record nothing rather than something the listener did
    // not choose.
    RecordingChoice followed = dialogChoice_;
    if (!problems_.empty())
        followed.source.reset();
    recorder_.setChoice(followed);
}

RecordingSetup::~RecordingSetup() {
    if (lister_.joinable())
        lister_.join();
}

std::optional<std::string> RecordingSetup::ProblemReport() const {
    if (problems_.empty())
        return std::nullopt;
    std::string text = "Die Aufnahme-Einstellungen in " + file_.Path() + " sind ungültig:\n";
    for (const std::string& problem : problems_)
        text += "\n" + problem;
    return text + "\n\nBis sie unter Optionen > Aufnahme ... berichtigt sind, nimmt Skedula "
                  "nichts auf.";
}

void RecordingSetup::Accept(const RecordingChoice& choice) {
    std::string problems;
    for (const std::string& problem : RecordingChoiceProblems(choice))
        problems += (problems.empty() ? "" : "\n") + problem;
    if (!problems.empty())
        throw Error(problems);
    file_.Update([&](IniDocument& document) { WriteRecordingSettings(document, choice); });
    dialogChoice_ = choice;
    problems_.clear();
    recorder_.setChoice(choice);
}

void RecordingSetup::OpenDialog(QWidget* parent) {
    RecordingDialog dialog(dialogChoice_, parent);
    dialog.onAccept = [this](const RecordingChoice& choice) { Accept(choice); };

    // One listing at a time: one still under way from the dialog before ends first.
    if (lister_.joinable())
        lister_.join();
    auto listing = std::make_shared<Listing>();
    lister_ = std::thread([listing] {
        std::vector<SoundSource> sources;
        std::string failure;
        try {
            sources = ListSoundSources(ListingLimit);
        } catch (const Error& e) {
            failure = e.what();
        }
        const std::lock_guard lock(listing->mutex);
        listing->sources = std::move(sources);
        listing->failure = std::move(failure);
        listing->done = true;
    });
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, &dialog, [&] {
        const std::lock_guard lock(listing->mutex);
        if (!listing->done)
            return;
        poll.stop();
        if (listing->failure.empty())
            dialog.ShowSources(listing->sources);
        else
            dialog.ShowSourceProblem(listing->failure);
    });
    poll.start(20);
    dialog.exec();
}

} // namespace skedula
