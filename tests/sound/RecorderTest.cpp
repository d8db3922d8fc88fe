// The recorder over captures fed by hand: what a report keeps (its window and exactly the
// "Nachlauf", or up to the next tuning), what an unreported entry keeps (nothing), the names,
// and the failures of the source and of the folder, each told once until a success.
#include "sound/Recorder.h"

#include "FakeCapture.h"
#include "FlacReader.h"
#include "fakes/ChildProcess.h"
#include "fakes/EngineFakes.h"
#include "storage/TestFiles.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <mutex>
#include <thread>

namespace skedula {
namespace {

using soundtest::CountingFrames;
using soundtest::FakeCaptures;
using soundtest::FlacFiles;
using soundtest::OtherFiles;
using soundtest::ReadFlac;

constexpr int Rate = 8000;

template <typename Condition> bool WaitFor(Condition condition) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(5);
    while (!condition()) {
        if (std::chrono::steady_clock::now() > deadline)
            return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    return true;
}

// A recorder on fake captures, with the boxes it would show.
struct Rig {
    explicit Rig(std::string folderPath, int after = 1) : folder(std::move(folderPath)) {
        recorder.setChoice({"radio", folder, after});
    }

    std::vector<std::string> boxes() const {
        const std::lock_guard lock(mutex);
        return told;
    }

    // Tuned, with the capture started once it is there; the frames count from first.
    void Tune(int channels = 2) {
        // A live capture of the same source goes on; else the recorder makes a new one.
        if (captures.LatestAlive()) {
            recorder.EntryTuned({"7100000", "AM"});
            return;
        }
        const std::size_t before = captures.Made();
        recorder.EntryTuned({"7100000", "AM"});
        if (captures.WaitForCaptures(before + 1) && captures.LatestAlive())
            captures.Start(Rate, channels);
    }
    void Feed(std::int64_t frames, int channels = 2) {
        captures.Deliver(CountingFrames(fed, frames, channels), channels);
        fed += frames;
    }
    // The report as the engine announces it: named first, then measured.
    std::optional<std::string> Report(const std::string& time = "2026-12-07T14:30:10+01:00") {
        Measurement m = fakes::ReportedMeasurement(time);
        m.recording = recorder.RecordingFor(m);
        recorder.EntryMeasured(m);
        return m.recording;
    }
    void NotReported() {
        Measurement m = fakes::ReportedMeasurement();
        m.reported = false;
        m.reportLines.clear();
        recorder.EntryMeasured(m);
    }

    std::string folder;
    FakeCaptures captures;
    mutable std::mutex mutex;
    std::vector<std::string> told;
    Recorder recorder{captures.Factory(), [this](const std::string& message) {
                          const std::lock_guard lock(mutex);
                          told.push_back(message);
                      }};
    std::int64_t fed = 0;
};

TEST(Recorder, AReportKeepsItsWindowAndExactlyTheNachlaufAndNothingElse) {
    test::TempFolder home;
    Rig rig(home / "Aufnahmen/", 1);
    rig.Tune();
    rig.Feed(Rate); // the entry's window
    const std::optional<std::string> path = rig.Report();
    ASSERT_EQ(path, home / "Aufnahmen/2026-12-07T143010_7100000_AM.flac");
    rig.Feed(Rate / 2);
    // Half of "Nachlauf": written under the temporary name only.
    ASSERT_TRUE(WaitFor([&] { return std::filesystem::exists(*path + ".part"); }));
    EXPECT_FALSE(std::filesystem::exists(*path));
    rig.Feed(Rate); // beyond "Nachlauf"
    ASSERT_TRUE(WaitFor([&] { return std::filesystem::exists(*path); }));
    EXPECT_EQ(OtherFiles(rig.folder), std::vector<std::string>{});

    const auto read = ReadFlac(*path);
    ASSERT_TRUE(read);
    EXPECT_TRUE(read->flac);
    EXPECT_EQ(read->rate, Rate);
    EXPECT_EQ(read->channels, 2);
    EXPECT_EQ(read->samples, CountingFrames(0, 2 * Rate, 2)); // lossless, to the frame
    EXPECT_EQ(read->title, "7100000 AM");
    EXPECT_EQ(read->date, "2026-12-07T14:30:10+01:00");
    EXPECT_EQ(read->comment, "S7 >= S5\nS7 >= S5\nS7 >= S5");

    // The next entry records on the same capture from its tuning, and keeps nothing unreported.
    rig.Tune();
    rig.Feed(Rate);
    rig.NotReported();
    rig.recorder.WatchStopped();
    ASSERT_TRUE(WaitFor([&] { return !rig.captures.LatestAlive(); }));
    EXPECT_EQ(rig.captures.Made(), 1u);
    EXPECT_EQ(FlacFiles(rig.folder), std::vector<std::string>{path->substr(rig.folder.size())});
    EXPECT_TRUE(rig.boxes().empty());
}

TEST(Recorder, TheNextTuningOrStopEndsTheNachlaufWithWhatItHas) {
    test::TempFolder home;
    Rig rig(home.path(), 30);
    rig.Tune(1);
    rig.Feed(Rate, 1);
    const auto first = rig.Report("2026-12-07T14:30:10+01:00");
    rig.Feed(Rate / 4, 1);
    rig.Tune(1); // the next entry: another frequency's audio
    rig.Feed(Rate, 1);
    const auto second = rig.Report("2026-12-07T14:30:21+01:00");
    rig.Feed(Rate / 2, 1);
    rig.recorder.WatchStopped();
    ASSERT_TRUE(WaitFor([&] { return FlacFiles(rig.folder).size() == 2; }));

    const auto one = ReadFlac(*first);
    const auto two = ReadFlac(*second);
    ASSERT_TRUE(one && two);
    EXPECT_EQ(one->channels, 1);
    EXPECT_EQ(one->samples, CountingFrames(0, Rate + Rate / 4, 1));
    EXPECT_EQ(two->samples, CountingFrames(Rate + Rate / 4, Rate + Rate / 2, 1));
    EXPECT_EQ(OtherFiles(rig.folder), std::vector<std::string>{});
}

TEST(Recorder, ANameThatExistsOrIsBeingWrittenGetsANumber) {
    test::TempFolder home;
    Rig rig(home.path(), 30);
    test::WriteFile(home / "2026-12-07T143010_7100000_AM.flac", "a listener's own");
    rig.Tune();
    rig.Feed(Rate);
    EXPECT_EQ(rig.Report(), home / "2026-12-07T143010_7100000_AM-2.flac");
    rig.Tune(); // ends the one before, which may still be finishing
    rig.Feed(Rate);
    EXPECT_EQ(rig.Report(), home / "2026-12-07T143010_7100000_AM-3.flac");

    Measurement quirky = fakes::ReportedMeasurement();
    quirky.radioFrequency = "../7 100,000 Hz";
    quirky.radioMode = "USB/Dä";
    EXPECT_EQ(RecordingFileName(quirky), "2026-12-07T143010_..7100000Hz_USBD.flac");

    // No source chosen: nothing is named and nothing is captured.
    rig.recorder.setChoice({std::nullopt, home.path(), 30});
    const std::size_t made = rig.captures.Made();
    rig.recorder.EntryTuned({"7100000", "AM"});
    EXPECT_EQ(rig.Report(), std::nullopt);
    rig.recorder.WatchStopped();
    ASSERT_TRUE(WaitFor([&] { return FlacFiles(rig.folder).size() == 3; }));
    EXPECT_EQ(rig.captures.Made(), made);
}

TEST(Recorder, ASourceThatIsMissingOrGoesIsToldOnceUntilItDeliveredAgain) {
    test::TempFolder home;
    Rig rig(home.path(), 30);
    rig.captures.failAtStart = "Die Quelle ist nicht vorhanden";
    rig.Tune();
    ASSERT_TRUE(WaitFor([&] { return rig.boxes().size() == 1; }));
    EXPECT_EQ(rig.boxes().front(), "Aufnahme von radio: Die Quelle ist nicht vorhanden");
    EXPECT_EQ(rig.Report(), std::nullopt); // nothing captured, nothing to name
    rig.Tune();                            // tries again, silently
    ASSERT_TRUE(rig.captures.WaitForCaptures(2));

    rig.captures.failAtStart.clear();
    rig.Tune();
    rig.Feed(Rate);
    rig.captures.Fail("Die Quelle ist verschwunden");
    ASSERT_TRUE(WaitFor([&] { return rig.boxes().size() == 2; })) << "a success came between";
    // What the window captured before the source went is kept.
    const auto path = rig.Report();
    ASSERT_TRUE(path);
    ASSERT_TRUE(WaitFor([&] { return std::filesystem::exists(*path); }));
    EXPECT_EQ(ReadFlac(*path)->frames(), Rate);
    EXPECT_EQ(rig.captures.SourceOf(2), "radio");
    EXPECT_EQ(rig.boxes().size(), 2u);
}

TEST(Recorder, AFolderThatCannotBeMadeIsToldOnceUntilAFileWasWritten) {
    test::TempFolder home;
    const std::string blocker = home / "blocker";
    test::WriteFile(blocker, ""); // a file where a folder should be
    Rig rig(blocker + "/Aufnahmen", 0);
    const auto report = [&] {
        rig.Tune();
        rig.Feed(Rate);
        return rig.Report();
    };
    const auto first = report();
    report();
    ASSERT_TRUE(WaitFor([&] { return rig.boxes().size() == 1; }));
    EXPECT_EQ(rig.boxes().front(), *first + ": Ungültiger Dateiname");

    std::filesystem::remove(blocker);
    const auto written = report();
    ASSERT_TRUE(WaitFor([&] { return std::filesystem::exists(*written); }));
    std::filesystem::remove_all(blocker);
    test::WriteFile(blocker, "");
    report();
    ASSERT_TRUE(WaitFor([&] { return rig.boxes().size() == 2; }));
}

// libsndfile stops at the full disk; what reached it stays a playable file under its name.
TEST(Recorder, AFullDiskIsToldOnceAndKeepsWhatWasWritten) {
    const auto child = test::RunOnScratchMount(256 * 1024, [](const std::string& dir) {
        Rig rig(dir, 600);
        rig.Tune();
        rig.Feed(Rate);
        const auto path = rig.Report();
        // Noise does not compress: a minute of it is far more than the disk holds.
        std::vector<std::int16_t> noise(2 * Rate);
        std::uint32_t state = 1;
        for (int second = 0; second < 60; ++second) {
            for (std::int16_t& sample : noise)
                sample = static_cast<std::int16_t>((state = state * 1664525u + 1013904223u) >> 16);
            rig.captures.Deliver(noise, 2);
        }
        rig.Tune(); // the next entry tries again: the disk is still full, no second box
        rig.Feed(Rate);
        rig.Report("2026-12-07T14:30:21+01:00");
        rig.recorder.WatchStopped();
        if (!WaitFor([&] { return !rig.boxes().empty() && OtherFiles(dir).empty(); }))
            return std::string("no box, or a temporary file left");
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
        const auto kept = ReadFlac(*path);
        std::string report;
        for (const std::string& box : rig.boxes())
            report += box.substr(dir.size()) + " | ";
        return report + (kept && kept->frames() >= Rate ? "kept" : "lost");
    });
    if (child.skipped)
        GTEST_SKIP() << child.report;
    ASSERT_FALSE(child.crashed) << child.report;
    EXPECT_EQ(child.report, "/2026-12-07T143010_7100000_AM.flac: Zu wenig Speicherplatz | kept");
}

} // namespace
} // namespace skedula
