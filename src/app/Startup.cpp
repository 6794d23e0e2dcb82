#include "app/Startup.h"

#include <libintl.h>

#include <clocale>

#include "app/QtMainThreadExecutor.h"
#include "console/Accessibility.h"
#include "console/HandlerGuard.h"
#include "console/TagsView.h"
#include "console/Unit1.h"
#include "dialogs/Unit2.h"
#include "dialogs/Unit3.h"
#include "dialogs/Unit4.h"
#include "dialogs/Unit5.h"
#include "dialogs/Unit7.h"
#include "dialogs/Unit8.h"
#include "dialogs/Unit9.h"
#include "link/TALVOR_comport.h"
#include "settings/SettingsFile.h"

void InitTranslation() {
    std::setlocale(LC_ALL, "");
    const std::string catalogues = TranslationFolder();
    bindtextdomain("default", catalogues.c_str());
    bindtextdomain("cport", catalogues.c_str());
    TranslateComErrorMessages();
}

void InstallMainThreadExecutor() {
    static QtMainThreadExecutor executor;
    SetMainThreadExecutor(&executor);
    TCustomComPort::ShowException = [](const std::exception& e) { Messages().error(e.what()); };
}

namespace {

template <typename Form>
void createDialog(Form*& global) {
    global = new Form;
    Guarded([global] { global->FormCreate(); });
    ApplyAccessibility(global);
}

template <typename Form>
void destroy(Form*& global) {
    delete global;
    global = nullptr;
}

}  // namespace

void CreateWindows() {
    Form1 = new TForm1;
    Guarded([] { Form1->FormCreate(); });
    ApplyAccessibility(Form1);
    com_form = new Tcom_form;
    com_form->SetLineSink([](const std::string& line) {
        if (Form1) Form1->AppendLine(line);
    });
    Form1->WatchPort(com_form->comport1);
    com_form->SetFrameWatchers(
        [](const uint8_t* frame, int size) {
            if (Form1) Form1->TagsView1->FrameSent(frame, size);
        },
        [](const uint8_t* frame, int size) {
            if (Form1) Form1->TagsView1->FrameReceived(frame, size);
        });
    createDialog(Form2);
    createDialog(Form3);
    createDialog(Form4);
    createDialog(Form5);
    createDialog(Form7);
    createDialog(Form8);
    createDialog(Form9);
}

void DestroyWindows() {
    destroy(Form9);
    destroy(Form8);
    destroy(Form7);
    destroy(Form5);
    destroy(Form4);
    destroy(Form3);
    destroy(Form2);
    delete com_form;  // closes the port
    com_form = nullptr;
    destroy(Form1);
}
