// The dialog "Funkgerät" on its own: it gives back the choice it was opened with, the model
// filter, and the port that follows the program while it is that program's default.
#include "ui/RadioDialog.h"

#include <gtest/gtest.h>

namespace skedula {
namespace {

const std::vector<HamlibModel> Models = {{1, "Hamlib", "Dummy"},
                                         {2, "Hamlib", "NET rigctl"},
                                         {3073, "Icom", "IC-7300"},
                                         {3085, "Icom", "IC-705"},
                                         {1035, "Yaesu", "FT-991"}};

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

TEST(RadioDialog, TheFilterFindsModelsByNumberMakerOrName) {
    RadioDialog dialog(RadioChoice{}, Models, {});
    const auto shown = [&] {
        QStringList names;
        for (int row = 0; row < dialog.ModelList->count(); ++row)
            if (!dialog.ModelList->item(row)->isHidden())
                names << dialog.ModelList->item(row)->text().simplified();
        return names.join(", ");
    };
    dialog.ModelFilter->setText("icom");
    EXPECT_EQ(shown(), "3073 Icom IC-7300, 3085 Icom IC-705");
    dialog.ModelFilter->setText("ic-7300");
    EXPECT_EQ(shown(), "3073 Icom IC-7300");
    dialog.ModelFilter->setText(" 1035 ");
    EXPECT_EQ(shown(), "1035 Yaesu FT-991");
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
