#include "dialogs/Unit4.h"

#include <QComboBox>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include "console/CommandExchange.h"
#include "console/HandlerGuard.h"
#include "console/Widgets.h"
#include "module/TagProgramming.h"
#include "link/TALVOR_comport.h"

TForm4* Form4 = nullptr;

namespace {

struct DefaultSet {
    const char* wg;
    const char* sg;
    const char* one;
    const char* zero;
    const char* padf;
};
// By position in the tag type list: Q5 (T5555), T5557.
const DefaultSet kDefaultSets[] = {{"100", "200", "170", "50", "96"},
                                   {"100", "200", "185", "60", "96"}};

}  // namespace

TForm4::TForm4(QWidget* parent) : TDialogForm(parent) {
    setObjectName("Form4");
    setWindowTitle("Programming Parameters");
    setWindowFlags(windowFlags() | Qt::WindowStaysOnTopHint);

    auto* grid = new QGridLayout(this);
    grid->setSizeConstraint(QLayout::SetFixedSize);
    auto addRow = [this, grid](const char* labelName, const QString& caption, QWidget* field) {
        auto* label = new QLabel(caption, this);
        label->setObjectName(labelName);
        label->setBuddy(field);
        const int row = grid->rowCount();
        grid->addWidget(label, row, 0);
        grid->addWidget(field, row, 1);
    };
    cmb_tag = MakeFixedCombo(this, "cmb_tag", {"Q5 (T5555)", "T5557"});
    SetItemIndex(cmb_tag, 0);
    addRow("lbl_tag", "Tag Type", cmb_tag);
    edt_wg = MakeEdit(this, "edt_wg");
    addRow("lbl_wg", "WG", edt_wg);
    edt_sg = MakeEdit(this, "edt_sg");
    addRow("lbl_sg", "SG", edt_sg);
    edt_og = MakeEdit(this, "edt_og");
    addRow("lbl_og", "ONE", edt_og);
    edt_zg = MakeEdit(this, "edt_zg");
    addRow("lbl_zg", "ZERO", edt_zg);
    edt_padf = MakeEdit(this, "edt_padf");
    addRow("lbl_padf", "PADF", edt_padf);
    Button1 = MakeButton(this, "Button1", "Set Parameters");
    grid->addWidget(Button1, grid->rowCount(), 0, 1, 2);

    OnOperatorChange(cmb_tag, [this] { cmb_tagChange(); });
    connect(Button1, &QPushButton::clicked, this, GuardedSlot([this] { Button1Click(); }));
}

void TForm4::FormCreate() { set_defaults(); }

void TForm4::cmb_tagChange() { set_defaults(); }

void TForm4::set_defaults() {
    const int index = cmb_tag->currentIndex();
    if (index < 0 || index >= static_cast<int>(std::size(kDefaultSets))) return;
    const DefaultSet& d = kDefaultSets[index];
    edt_wg->setText(d.wg);
    edt_sg->setText(d.sg);
    edt_og->setText(d.one);
    edt_zg->setText(d.zero);
    edt_padf->setText(d.padf);
}

void TForm4::Button1Click() {
    RunCommand(
        [this](uint8_t* frame) {
            ProgrammingParameters p{};
            p.wg = ParameterByte(ToStd(edt_wg->text()));
            p.sg = ParameterByte(ToStd(edt_sg->text()));
            p.one = ParameterByte(ToStd(edt_og->text()));
            p.zero = ParameterByte(ToStd(edt_zg->text()));
            p.padf = ParameterByte(ToStd(edt_padf->text()));
            return BuildSetParamFrame(frame, p);
        },
        ProgrammingParametersLines::SetParam);
}
