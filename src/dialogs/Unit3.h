// "Tag Programming": writes the eight blocks of a read/write transponder, one
// block per command. Block 0 is composed from four choices; blocks 1 to 7 are
// typed as hexadecimal bytes or as characters.
#pragma once

#include <array>
#include <cstdint>
#include <optional>

#include "dialogs/Block0.h"
#include "dialogs/DialogForm.h"

class QAction;
class QBoxLayout;
class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QMenuBar;
class QPushButton;
class QRadioButton;
class SeriesDialog;
struct TagWriteJob;

class TForm3 : public TDialogForm {
    Q_OBJECT
public:
    explicit TForm3(QWidget* parent = nullptr);

    QMenuBar* MainMenu1;
    QAction* ProgrammingParameters2;
    QComboBox* cmb_tag;
    QComboBox* cmb_mod;
    QComboBox* cmb_pass;
    QComboBox* cmb_max;
    QRadioButton* rdb_hex;
    QRadioButton* rdb_ascii;
    // hex1 ... hex32 and asc1 ... asc32; block n owns fields 4n+1 to 4n+4.
    // Position 0 is unused.
    std::array<QLineEdit*, 33> hex{};
    std::array<QLineEdit*, 33> asc{};
    // Button1 ... Button8 ("PRG BLK 0" ... "PRG BLK 7") and Button9
    // ("Program All") at their numbers; position 0 is unused.
    std::array<QPushButton*, 10> Button{};
    QCheckBox* cb_pass;
    QLineEdit* Edit9;
    QLineEdit* Edit10;
    QLineEdit* Edit11;
    QLineEdit* Edit12;
    // EM4100 cloning, writing with a read-back check, and series.
    QLineEdit* edt_em4100;
    QPushButton* btn_compose_em4100;
    QPushButton* btn_write_verify;
    QPushButton* btn_series;
    QLabel* lbl_verify_status;
    SeriesDialog* Series;

    // Handlers
    void FormCreate();
    void FormClose() override;
    void cmb_tagChange();
    void cmb_modChange();
    void cmb_passChange();
    void cmb_maxChange();
    void rdb_hexClick();
    void rdb_asciiClick();
    void cb_passClick();
    void Button1Click();
    void Button2Click();
    void Button3Click();
    void Button4Click();
    void Button5Click();
    void Button6Click();
    void Button7Click();
    void Button8Click();
    void Button9Click();
    void ProgrammingParameters2Click();
    void btn_compose_em4100Click();
    void btn_write_verifyClick();
    void btn_seriesClick();

    // Routines
    void save_ini();
    void compose_block0();
    void set_entry_mode();
    void hex_to_asc(int i);
    void asc_to_hex(int i);
    void program_block(int n);
    // The notice and question before a Block0 that turns protection on; true
    // when the operator goes on (or protection is off).
    bool confirm_password_protection();
    // Block0 and blocks 1 to Max Block from the fields, and how to check them.
    TagWriteJob write_job() const;

    // The four choices as they stand.
    Block0Choice block0Choice() const;

private:
    void buildLayout();
    void buildEm4100Row(QBoxLayout* outer);
    void connectHandlers();
    void load_ini();
};

extern TForm3* Form3;
