#include "engine/Error.h"
#include "fakes/EngineRig.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace skedula {
namespace {

using fakes::EngineRig;

std::string Described(const AlarmReport& r) {
    return r.frequency + "|" + r.mode + "|" + std::to_string(r.sample1) + "," +
           std::to_string(r.sample2) + "," + std::to_string(r.sample3) +
           ">=" + std::to_string(r.threshold) + "|" + r.alarmFile;
}

// The report kept is the one the log shows: the radio's texts, not the queue cells, and it is
// kept even when the alarm then fails to open.
TEST(KeepReport, EachLoggedReportIsKeptOnceBeforeTheAlarmOpens) {
    struct Case {
        const char* threshold;
        int samples[3];
        const char* alarmFile;
        bool openFails;
        std::vector<std::string> kept;
    };
    const Case cases[] = {
        {"S5", {7, 6, 9}, "a.wav", false, {"7100010|AMS|7,6,9>=5|a.wav"}},
        {"S5", {7, 6, 9}, "missing.wav", true, {"7100010|AMS|7,6,9>=5|missing.wav"}},
        {"", {0, 0, 0}, "", false, {"7100010|AMS|0,0,0>=0|"}},
        {"S5", {7, 4, 9}, "a.wav", false, {}},
        {"S?", {9, 9, 9}, "a.wav", false, {}}, // the conversion error comes before any report
    };
    for (const Case& c : cases) {
        EngineRig rig;
        rig.link.frequency = "7100010";
        rig.link.mode = "AMS";
        rig.engine.SchlangeSG.setCell(0, 1, "7100000");
        rig.engine.SchlangeSG.setCell(1, 1, "AM");
        rig.engine.SchlangeSG.setCell(2, 1, c.threshold);
        rig.engine.SchlangeSG.setCell(3, 1, c.alarmFile);
        rig.engine.QueueCount = 1;
        rig.engine.Sample1 = c.samples[0];
        rig.engine.Sample2 = c.samples[1];
        rig.engine.Sample3 = c.samples[2];
        rig.alarm.failOpenWith = c.openFails ? "Datei nicht gefunden" : "";
        try {
            rig.engine.EvaluateEntry();
        } catch (const Error&) {
        }
        std::vector<std::string> kept;
        for (const AlarmReport& r : rig.reports.reports)
            kept.push_back(Described(r));
        EXPECT_EQ(kept, c.kept) << c.threshold << " " << c.alarmFile;
        EXPECT_EQ(rig.log.lines.size(), c.kept.size() * 6);
    }
}

} // namespace
} // namespace skedula
