// The dialog "Funkgerät" on its own: it gives back the choice it was opened with, the model
// filter and what Enter keeps after it, the port that follows the program while it is that
// program's default, and a test result that goes with the settings it was for.
#include "ui/RadioDialog.h"
#include "fakes/EventLoop.h"
#include "fakes/ModalBoxWatcher.h"

#include <QTest>
#include <gtest/gtest.h>

namespace skedula {
namespace {

const std::vector<HamlibModel> Models = {{1, "Hamlib", "Dummy"},    {2, "Hamlib", "NET rigctl"},
                                         {3073, "Icom", "IC-7300"}, {3085, "Icom", "IC-705"},
                                         {3078, "Icom", "IC-7610"}, {3063, "Icom", "IC-7600"},
                                         {1035, "Yaesu", "FT-991"}};

// The models the list shows, as "number maker model", joined by ", ".
QString Shown(const RadioDialog& dialog) {
    QStringList names;
    for (int row = 0; row < dialog.ModelList->count(); ++row)
        if (!dialog.ModelList->item(row)->isHidden())
            names << dialog.ModelList->item(row)->text().simplified();
    return names.join(", ");
}

RadioChoice StoredIc7300() {
    RadioChoice radio;
    radio.program = RadioProgram::Hamlib;
    radio.model = 3073;
    radio.device = "/dev/ttyUSB0";
    return radio;
}

TEST(RadioDialog, GivesBackTheChoiceItWasOpenedWith) {
    RadioChoice radio;
    radio.program = RadioProgram::Hamlib;
    radio.model = 3073;
    radio.device = "/dev/ttyUSB1"; // not among the ports found
    radio.baud = 19200;
    radio.port = 4533;
    RadioChoice unlisted = radio;
    unlisted.model = 40001; // not in this Hamlib's list
    unlisted.baud.reset();
    RadioChoice gqrx;
    gqrx.program = RadioProgram::Gqrx;
    gqrx.host = "sdr.local";
    gqrx.port = 7356;
    gqrx.s9Dbfs = -40.5;
    RadioChoice network;
    network.program = RadioProgram::Network;
    network.host = "192.168.1.20";
    for (const RadioChoice& choice : {RadioChoice{}, radio, unlisted, gqrx, network}) {
        const RadioDialog dialog(choice, Models, {"/dev/ttyUSB0", "/dev/ttyS0"});
        EXPECT_EQ(dialog.choice(), choice) << Describe(choice, Models);
    }
}

TEST(RadioDialog, TheFilterFindsModelsAsListenersTypeThem) {
    RadioDialog dialog(RadioChoice{}, Models, {});
    const std::pair<const char*, const char*> cases[] = {
        {"icom", "3073 Icom IC-7300, 3085 Icom IC-705, 3078 Icom IC-7610, 3063 Icom IC-7600"},
        {"ic-7300", "3073 Icom IC-7300"},
        {"ic7300", "3073 Icom IC-7300"},
        {"IC 7300", "3073 Icom IC-7300"},
        {"icom 7300", "3073 Icom IC-7300"},
        {"7300 Icom", "3073 Icom IC-7300"},
        {"icom7300", "3073 Icom IC-7300"},
        {"ft991", "1035 Yaesu FT-991"},
        {"yaesu ft 991", "1035 Yaesu FT-991"},
        {" 1035 ", "1035 Yaesu FT-991"},
        {"76", "3078 Icom IC-7610, 3063 Icom IC-7600"},
        {"net rigctl", "2 Hamlib NET rigctl"},
        {"icom 991", ""},
    };
    for (const auto& [filter, shown] : cases) {
        dialog.ModelFilter->setText(filter);
        EXPECT_EQ(Shown(dialog), shown) << filter;
    }
}

// Stored IC-7300, typed 7610: the one model left is what Enter keeps.
TEST(RadioDialog, ASingleModelLeftByTheFilterIsTheChoiceThatEnterKeeps) {
    RadioDialog dialog(StoredIc7300(), Models, {});
    std::optional<RadioChoice> kept;
    dialog.onAccept = [&](const RadioChoice& choice) { kept = choice; };
    dialog.show();
    QTest::keyClicks(dialog.ModelFilter, "7610");
    EXPECT_EQ(Shown(dialog), "3078 Icom IC-7610");
    QTest::keyClick(dialog.ModelFilter, Qt::Key_Return);
    test::RunPendingEvents();
    ASSERT_TRUE(kept.has_value());
    EXPECT_EQ(kept->model, 3078);
    EXPECT_FALSE(dialog.isVisible());
}

TEST(RadioDialog, OkNeverKeepsAModelTheFilterHides) {
    fakes::ModalBoxWatcher boxes;
    RadioDialog dialog(StoredIc7300(), Models, {});
    bool accepted = false;
    dialog.onAccept = [&](const RadioChoice&) { accepted = true; };
    dialog.show();
    QTest::keyClicks(dialog.ModelFilter, "76");
    EXPECT_EQ(Shown(dialog), "3078 Icom IC-7610, 3063 Icom IC-7600");
    EXPECT_EQ(dialog.choice().model, std::nullopt);
    QTest::keyClick(dialog.ModelFilter, Qt::Key_Return);
    ASSERT_TRUE(test::WaitUntil([&] { return !boxes.boxes().empty(); }));
    EXPECT_EQ(boxes.boxes()[0].text, "Kein Modell gewählt.");
    EXPECT_FALSE(accepted);
    EXPECT_TRUE(dialog.isVisible());

    // Shown again, the stored model is the choice again.
    dialog.ModelFilter->clear();
    EXPECT_EQ(dialog.choice().model, 3073);
    dialog.reject();
}

TEST(RadioDialog, ATestResultIsClearedWhenTheSettingsChange) {
    RadioDialog dialog(StoredIc7300(), Models, {"/dev/ttyUSB0"});
    dialog.onTest = [](const RadioChoice& choice) {
        return "Keine Verbindung: Das Gerät " + choice.device + " gibt es nicht";
    };
    const std::vector<std::pair<const char*, std::function<void()>>> changes = {
        {"program", [&] { dialog.DummyBtn->setChecked(true); }},
        {"back to the radio", [&] { dialog.HamlibBtn->setChecked(true); }},
        {"model", [&] { dialog.ModelList->setCurrentRow(4); }},
        {"device", [&] { dialog.DeviceBox->setCurrentText("/dev/ttyUSB7"); }},
        {"baud", [&] { dialog.BaudBox->setCurrentText("9600"); }},
        {"port", [&] { dialog.PortBox->setValue(4600); }},
    };
    for (const auto& [what, change] : changes) {
        dialog.TestBtnClick();
        ASSERT_TRUE(dialog.TestResult->text().startsWith("Keine Verbindung")) << what;
        change();
        EXPECT_EQ(dialog.TestResult->text(), "") << what;
    }
}

TEST(RadioDialog, ThePortFollowsTheProgramUnlessItWasChanged) {
    RadioDialog dialog(RadioChoice{}, Models, {});
    dialog.GqrxBtn->setChecked(true);
    EXPECT_EQ(dialog.PortBox->value(), 7356);
    EXPECT_TRUE(dialog.S9Box->isEnabled());
    EXPECT_FALSE(dialog.ModelList->isEnabled());
    dialog.NetworkBtn->setChecked(true);
    EXPECT_EQ(dialog.PortBox->value(), 4532);
    dialog.PortBox->setValue(4600);
    dialog.GqrxBtn->setChecked(true);
    EXPECT_EQ(dialog.PortBox->value(), 4600);
}

} // namespace
} // namespace skedula
