// Every command of the main window and the dialogs against a module that
// answers with random frames, broken lengths, noise and silence. The program
// must stay responsive, never crash, and log each frame it sends on exactly
// one TX line. The seed is printed with any failure; TALVOR_HOSTILE_SEED
// replays one.
#include <gtest/gtest.h>

#include <QPushButton>
#include <QTimer>
#include <QToolButton>
#include <chrono>
#include <cstdlib>
#include <functional>
#include <memory>

#include "console/HandlerGuard.h"
#include "console/Unit1.h"
#include "console/Widgets.h"
#include "dialogs/Unit2.h"
#include "dialogs/Unit3.h"
#include "dialogs/Unit4.h"
#include "dialogs/Unit5.h"
#include "dialogs/Unit7.h"
#include "dialogs/Unit8.h"
#include "dialogs/Unit9.h"
#include "link/TALVOR_comport.h"
#include "link/LogLines.h"
#include "support/ui/UiHarness.h"

namespace {

using Lines = std::vector<std::string>;

struct Click {
    const char* name;
    std::function<void()> run;
};

void menu(void (TForm1::*handler)()) {
    Guarded([handler] { (Form1->*handler)(); });
}

const TBaudRate kRates[] = {br9600, br19200, br38400, br57600, br115200};
const uint32_t kRateValues[] = {9600, 19200, 38400, 57600, 115200};

TEST(HostileModule, EveryCommandKeepsTheProgramResponsiveAndLogsEachFrameOnce) {
    const char* fixed = std::getenv("TALVOR_HOSTILE_SEED");
    const uint32_t seed = fixed ? static_cast<uint32_t>(std::strtoul(fixed, nullptr, 10))
                                : HostileAnswers::FreshSeed();
    SCOPED_TRACE("hostile module seed " + std::to_string(seed) +
                 " (TALVOR_HOSTILE_SEED=" + std::to_string(seed) + " replays it)");

    UiHarness ui;
    ui.start();
    ui.sim.withModule([seed](SimulatedModule& m) {
        m.setTagInField(true);
        m.setHostile(seed);
    });
    Form1->rdb_read->SetItemIndex(2);
    // Auto Calibrate over one combination: every range starts where it ends.
    for (auto [start, end] : {std::pair{Form2->cmb_radf_s, Form2->cmb_radf_e},
                              {Form2->cmb_a1_s, Form2->cmb_a1_e},
                              {Form2->cmb_a2_s, Form2->cmb_a2_e},
                              {Form2->cmb_a3_s, Form2->cmb_a3_e},
                              {Form2->cmb_g1_s, Form2->cmb_g1_e},
                              {Form2->cmb_g2_s, Form2->cmb_g2_e}})
        SetItemIndex(start, 1), SetItemIndex(end, 1);

    int moduleRate = 1;  // 19200, where the module starts
    int baudSwitches = 0;
    const std::vector<Click> clicks = {
        {"Read Tag", [] { Form1->Button1->click(); }},
        {"Stop Read", [] { Form1->Button2->click(); }},
        {"Button4", [] { Form1->Button4->click(); }},
        {"Button17", [] { Form1->Button17->click(); }},
        {"SpeedButton1", [] { Form1->SpeedButton1->click(); }},
        {"Firmware", [] { Form1->Button5->click(); }},
        {"Reset", [] { Form1->Button6->click(); }},
        {"Configuration", [] { Form1->btn_config->click(); }},
        {"Firmware menu", [] { menu(&TForm1::ReadFirmwareVersionn1Click); }},
        {"Sleep", [] { menu(&TForm1::Sleep1Click); }},
        {"Software Reset", [] { menu(&TForm1::SoftwareReset1Click); }},
        {"Outputs 00", [] { menu(&TForm1::Output00Output101Click); }},
        {"Outputs 01", [] { menu(&TForm1::Output001Click); }},
        {"Outputs 10", [] { menu(&TForm1::Output11Output001Click); }},
        {"Outputs 11", [] { menu(&TForm1::Output11Output111Click); }},
        {"Read Input0", [] { menu(&TForm1::ReadInput01Click); }},
        {"Module Parameters", [] { menu(&TForm1::GetModuleParameters1Click); }},
        {"Set RADF", [] { Form2->Button1->click(); }},
        {"Set A1A2A3", [] { Form2->Button2->click(); }},
        {"Set G1G2", [] { Form2->Button3->click(); }},
        {"Set All", [] { Form2->Button4->click(); }},
        {"Auto Calibrate", [] { Form2->Button13->click(); }},
        {"Re-Calibrate", [] { Form2->Button5->click(); }},
        {"Program Block 1", [] { Form3->Button[1]->click(); }},
        {"Program Block 3", [] { Form3->Button[3]->click(); }},
        {"Program Block 8", [] { Form3->Button[8]->click(); }},
        {"Program Block 9", [] { Form3->Button[9]->click(); }},
        {"Write and Verify", [] { Form3->btn_write_verify->click(); }},
        {"Programming Parameters", [] { Form4->Button1->click(); }},
        {"Output Selection", [] { Form5->Button1->click(); }},
        {"Byte Track", [] { Form8->Button1->click(); }},
        {"I2C", [] { Form9->BitBtn1->click(); }},
        {"Set Baud", [&] {
             SetItemIndex(Form7->cmb_baud, moduleRate);
             const int wanted = (moduleRate + 1) % 5;
             SetItemIndex(Form7->cb_new, wanted);
             Form7->Button1->click();
             // A Success answer (one in seven parts is one) moves the host
             // to the new rate; the module is made to follow it there.
             const Lines log = ui.log();
             const bool accepted = std::find(log.begin(), log.end(),
                                             BaudRateLines::ResetToUseNewRate) != log.end();
             EXPECT_EQ(com_form->comport1.BaudRate(), kRates[accepted ? wanted : moduleRate]);
             if (!accepted) return;
             ++baudSwitches;
             moduleRate = wanted;
             ui.sim.withModule([wanted](SimulatedModule& m) { m.setBaudRate(kRateValues[wanted]); });
         }},
    };

    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(25);
    int rounds = 0;
    for (; rounds == 0 || std::chrono::steady_clock::now() < deadline; ++rounds) {
        for (const Click& click : clicks) {
            SCOPED_TRACE(click.name);
            ui.clearLog();
            ui.clearFrames();
            click.run();
            auto handled = std::make_shared<bool>(false);
            QTimer::singleShot(0, [handled] { *handled = true; });
            EXPECT_TRUE(ui.waitFor([&] { return *handled; }, 2000)) << "no longer responsive";

            // One TX line per frame the module heard, in the order sent.
            Lines sent;
            for (const std::string& line : ui.log())
                if (line.rfind("TX >", 0) == 0) sent.push_back(line);
            Lines heard;
            ui.waitFor([&] { return (heard = ui.frames()).size() >= sent.size(); }, 1000);
            ASSERT_EQ(sent.size(), heard.size()) << ::testing::PrintToString(ui.log());
            for (size_t i = 0; i < sent.size(); ++i)
                EXPECT_NE(sent[i].find(heard[i]), std::string::npos) << sent[i];
        }
    }
    std::printf("hostile module seed %u: %d rounds, %d baud rate switches, %zu messages\n", seed,
                rounds, baudSwitches, ui.boxes.errors.size() + ui.boxes.informations.size());
}

}  // namespace
