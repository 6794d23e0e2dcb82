// The main window's commands end to end against the simulated module: the
// bytes the module received and the exact log lines, tabs included.
#include <gtest/gtest.h>

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <thread>

#include "console/HandlerGuard.h"
#include "console/Unit1.h"
#include "console/Widgets.h"
#include "link/TALVOR_comport.h"
#include "support/PtyPair.h"
#include "support/ui/UiHarness.h"

namespace {

using Lines = std::vector<std::string>;

class MainWindowCommands : public ::testing::Test {
protected:
    void SetUp() override {
        ui.start();
        ui.sim.withModule([](SimulatedModule& m) {
            m.setFirmwareVersion("1.0");
            m.setTagInField(false);
            m.setInput0(false);
        });
        ui.clearFrames();
    }
    // The module must receive exactly the one frame that the TX line shows.
    void runAndExpect(void (TForm1::*handler)(), const Lines& lines) {
        ui.clearLog();
        ui.clearFrames();
        (Form1->*handler)();
        const Lines frames = ui.frames();
        ASSERT_EQ(frames.size(), 1u) << lines[0];
        EXPECT_NE(lines[0].find("\t" + frames[0]), std::string::npos) << frames[0];
        EXPECT_EQ(ui.log(), lines);
    }
    UiHarness ui;
};

TEST_F(MainWindowCommands, AnyCommandOpensTheClosedPortFirstAndSwapsTheButtons) {
    ASSERT_FALSE(com_form->comport1.Connected());
    ASSERT_TRUE(Form1->btn_open->isVisibleTo(Form1));
    Form1->Sleep1Click();
    EXPECT_TRUE(com_form->comport1.Connected());
    EXPECT_FALSE(Form1->btn_open->isVisibleTo(Form1));
    EXPECT_TRUE(Form1->btn_close->isVisibleTo(Form1));
    EXPECT_EQ(ui.frames(), Lines{"FF 01 01 60 62 "});

    Form1->btn_closeClick();
    EXPECT_FALSE(com_form->comport1.Connected());
    EXPECT_TRUE(Form1->btn_open->isVisibleTo(Form1));
    EXPECT_FALSE(Form1->btn_close->isVisibleTo(Form1));
}

TEST_F(MainWindowCommands, ToolsMenuCommandsSendTheirFramesAndLogTheirLines) {
    struct Row {
        void (TForm1::*handler)();
        Lines lines;
    };
    const Row rows[] = {
        {&TForm1::ReadFirmwareVersionn1Click,
         {"TX > Firmware\t\tFF 01 01 50 52 ", "RX > Firmware:\"1.0\"\tFF 01 04 50 31 2E 30 E4 "}},
        {&TForm1::Sleep1Click,
         {"TX > Sleep\t\tFF 01 01 60 62 ", "RX > Success\t\tFF 01 01 99 9B "}},
        {&TForm1::Output00Output101Click,
         {"TX > Output1>0 Output0>0\tFF 01 02 62 00 65 ", "RX > Success\t\t\tFF 01 01 99 9B "}},
        {&TForm1::Output001Click,
         {"TX > Output1>0 Output0>1\tFF 01 02 62 01 66 ", "RX > Success\t\t\tFF 01 01 99 9B "}},
        {&TForm1::Output11Output001Click,
         {"TX > Output1>1 Output0>0\tFF 01 02 62 02 67 ", "RX > Success\t\t\tFF 01 01 99 9B "}},
        {&TForm1::Output11Output111Click,
         {"TX > Output1>1 Output0>1\tFF 01 02 62 03 68 ", "RX > Success\t\t\tFF 01 01 99 9B "}},
        {&TForm1::ReadInput01Click,
         {"TX > Read Input0\t\tFF 01 01 63 65 ", "RX > Input0 is Logic 0\t\tFF 01 01 66 68 "}},
        {&TForm1::Button2Click,
         {"TX > Stop Read\t\tFF 01 01 12 14 ", "RX > Success\t\tFF 01 01 99 9B "}},
        {&TForm1::SoftwareReset1Click,
         {"TX > Reset\t\tFF 01 01 51 53 ", "RX > Success\t\tFF 01 01 99 9B "}},
    };
    for (const Row& row : rows) runAndExpect(row.handler, row.lines);

    ui.sim.withModule([](SimulatedModule& m) { m.setInput0(true); });
    runAndExpect(&TForm1::ReadInput01Click, {"TX > Read Input0\t\tFF 01 01 63 65 ",
                                             "RX > Input0 is Logic 1\t\tFF 01 01 99 9B "});
    EXPECT_EQ(com_form->comport1.Connected(), true);
}

TEST_F(MainWindowCommands, FailedAnswersAreLoggedAsUnrecognized) {
    Faults silent, checksum, text;
    silent.silent = true;
    checksum.badChecksum = true;
    text.asciiInstead = "NOPE";
    const struct {
        Faults faults;
        std::string failureLine;
        std::string status;
    } rows[] = {
        {silent, "***Timeout.No Response***", "error"},
        {checksum, "Checksum error in Response Array", "error"},
        {text, "Incoming ASCII Characters >NOPE\t( As HEX >0x4E 0x4F 0x50 0x45 )", "none_protocol"},
    };
    for (const auto& row : rows) {
        ui.sim.withModule([&](SimulatedModule& m) { m.setFaults(row.faults); });
        runAndExpect(&TForm1::Button6Click, {"TX > Reset\t\tFF 01 01 51 53 ", row.failureLine,
                                             "RX > Unrecognized Response!\t\t\t" + row.status});
    }
}

TEST_F(MainWindowCommands, ReadingCommandsCarryTheChosenReadTypeBlocksAndPassword) {
    // The defaults: item 1 ("parity decoded", code 3), blocks "1".
    Form1->cmb_nblocks->setEditText("2");
    runAndExpect(&TForm1::Button1Click,
                 {"TX > Read Tag\t\tFF 01 03 10 03 02 19 ", "RX > Success\t\tFF 01 01 99 9B "});

    runAndExpect(&TForm1::Button4Click,
                 {"TX > One Shot Read\tFF 01 04 11 03 02 01 1C  Note: Please disable Auto Mode "
                  "if it is already enabled for best usage of this command",
                  "RX > Success\t\tFF 01 01 99 9B "});

    // Items 1 and 2 are not in code order; the block count is the typed text, low 8 bits.
    Form1->rdb_read->SetItemIndex(2);
    Form1->cmb_nblocks->setEditText("300");
    Form1->cb_sendp->setChecked(true);
    Form1->edt_p1->setText("a1");
    Form1->edt_p2->setText("B2");
    Form1->edt_p3->setText("c3");
    Form1->edt_p4->setText("D4");
    runAndExpect(&TForm1::Button1Click, {"TX > Read Tag w pass\tFF 01 07 13 02 2C A1 B2 C3 D4 33 ",
                                         "RX > Success\t\tFF 01 01 99 9B "});

    // Set Auto Mode carries the password bytes even when they are not to be sent.
    Form1->cb_sendp->setChecked(false);
    Form1->rdb_read->SetItemIndex(0);
    Form1->cmb_nblocks->setEditText("7");
    runAndExpect(&TForm1::Button17Click,
                 {"TX > Set Auto Mode\tFF 01 09 87 00 01 07 00 A1 B2 C3 D4 83 ",
                  "RX > Success\t\tFF 01 01 99 9B "});
}

TEST_F(MainWindowCommands, BadFieldsAreRefusedBeforeAnythingIsSent) {
    Form1->cmb_nblocks->setEditText("two");
    Guarded([] { Form1->Button1Click(); });
    EXPECT_EQ(ui.boxes.errors, Lines{"'two' is not a valid integer value"});

    ui.boxes.clear();
    Form1->cmb_nblocks->setEditText("2");
    Form1->cb_sendp->setChecked(true);
    Form1->edt_p3->setText("");
    Guarded([] { Form1->Button1Click(); });
    EXPECT_EQ(ui.boxes.errors, Lines{"'' is not a valid hexadecimal value"});

    ui.boxes.clear();
    Form1->rdb_read->SetItemIndex(-1);
    Guarded([] { Form1->Button17Click(); });
    Guarded([] { Form1->Button4Click(); });
    EXPECT_EQ(ui.boxes.errors,
              (Lines{"Please choose a Read Type first.", "Please choose a Read Type first."}));
    EXPECT_TRUE(ui.frames().empty());
    EXPECT_TRUE(ui.log().empty());
}

// A module that answers each command with a scripted frame, for reply codes the
// simulated module never gives.
class ScriptedModule {
public:
    explicit ScriptedModule(std::string reply) : reply_(std::move(reply)) {
        thread_ = std::thread([this] {
            if (pty.readFromHost(5).size() == 5) pty.writeToHost(reply_);
        });
    }
    ~ScriptedModule() { thread_.join(); }
    PtyPair pty;

private:
    std::string reply_;
    std::thread thread_;
};

std::string raw(std::initializer_list<int> list) {
    std::string s;
    for (int b : list) s += static_cast<char>(b);
    return s;
}

TEST_F(MainWindowCommands, ReplyCodesOutsideTheCommandsOwnAreUnrecognized) {
    struct Row {
        void (TForm1::*handler)();
        std::string reply;
        Lines lines;
    };
    const Row rows[] = {
        {&TForm1::Button5Click,
         raw({0xFF, 0x01, 0x01, 0x66, 0x68}),
         {"TX > Firmware\t\tFF 01 01 50 52 ", "RX > Flash wRite Eror!\t\tFF 01 01 66 68 "}},
        {&TForm1::Button6Click,
         raw({0xFF, 0x01, 0x01, 0x66, 0x68}),
         {"TX > Reset\t\tFF 01 01 51 53 ", "RX > Unrecognized Response!\t\t\tFF 01 01 66 68 "}},
        {&TForm1::Button2Click,
         raw({0xFF, 0x01, 0x02, 0x10, 0x41, 0x54}),
         {"TX > Stop Read\t\tFF 01 01 12 14 ",
          "RX > Unrecognized Response!\t\t\tFF 01 02 10 41 54 "}},
    };
    for (const Row& row : rows) {
        ScriptedModule module(row.reply);
        Form1->btn_closeClick();
        Form1->cmb_port->setEditText(FromStd(module.pty.slavePath()));
        ui.clearLog();
        (Form1->*row.handler)();
        EXPECT_EQ(ui.log(), row.lines);
    }
}

}  // namespace
