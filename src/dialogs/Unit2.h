// "Calibration": sets RADF, A1..A3 and G1/G2 by hand, searches ranges of them
// for combinations that read a tag (Auto Calibrate), and re-tests the
// combinations found (Re-Calibrate).
#pragma once

#include <cstdint>
#include <string>

#include "dialogs/DialogForm.h"

class QComboBox;
class QListWidget;
class QPlainTextEdit;
class QPushButton;
class QStatusBar;

class TForm2 : public TDialogForm {
    Q_OBJECT
public:
    explicit TForm2(QWidget* parent = nullptr);
    void FormCreate();

    // Range selectors (start, end)
    QComboBox* cmb_radf_s;
    QComboBox* cmb_radf_e;
    QComboBox* cmb_a1_s;
    QComboBox* cmb_a1_e;
    QComboBox* cmb_a2_s;
    QComboBox* cmb_a2_e;
    QComboBox* cmb_a3_s;
    QComboBox* cmb_a3_e;
    QComboBox* cmb_g1_s;
    QComboBox* cmb_g1_e;
    QComboBox* cmb_g2_s;
    QComboBox* cmb_g2_e;
    // Value selectors
    QComboBox* cmb_radf;
    QComboBox* cmb_a1;
    QComboBox* cmb_a2;
    QComboBox* cmb_a3;
    QComboBox* cmb_g1;
    QComboBox* cmb_g2;

    QPushButton* Button1;   // Set RADF
    QPushButton* Button2;   // Set A1/A2/A3
    QPushButton* Button3;   // Set G1/G2
    QPushButton* Button4;   // Set All
    QPushButton* Button13;  // Auto Calibrate
    QPushButton* Button5;   // Re-Calibrate

    // Each result list shares its place with the memo that fills during a run.
    QListWidget* ListBox1;
    QPlainTextEdit* Memo1;
    QListWidget* ListBox2;
    QPlainTextEdit* Memo2;
    QStatusBar* StatusBar1;

    // Handlers (run directly = "clicked")
    void Button1Click();
    void Button2Click();
    void Button3Click();
    void Button4Click();
    void Button13Click();
    void Button5Click();
    void ListBox1Click();
    void ListBox2Click();
    void cmb_radf_sChange() { save_ini(); }
    void cmb_radf_eChange() { save_ini(); }
    void cmb_a1_sChange() { save_ini(); }
    void cmb_a1_eChange() { save_ini(); }
    void cmb_a2_sChange() { save_ini(); }
    void cmb_a2_eChange() { save_ini(); }
    void cmb_a3_sChange() { save_ini(); }
    void cmb_a3_eChange() { save_ini(); }
    void cmb_g1_sChange() { save_ini(); }
    void cmb_g1_eChange() { save_ini(); }
    void cmb_g2_sChange() { save_ini(); }
    void cmb_g2_eChange() { save_ini(); }
    void cmb_radfChange() { save_ini(); }
    void cmb_a1Change() { save_ini(); }
    void cmb_a2Change() { save_ini(); }
    void cmb_a3Change() { save_ini(); }
    void cmb_g1Change() { save_ini(); }
    void cmb_g2Change() { save_ini(); }

    void set_radf(uint8_t value);
    void set_a_params(uint8_t a1, uint8_t a2, uint8_t a3);
    // Positions in the 12-entry G code table; refused outside it.
    void set_g_params(int p1, int p2);
    // Positions in the calibration G list; refused outside it.
    void set_g_range_params(int p1, int p2);
    // The G bounds are positions in the calibration G list.
    void run_calibration(uint8_t radfStart, uint8_t radfEnd, uint8_t a1Start, uint8_t a1End,
                         uint8_t a2Start, uint8_t a2End, uint8_t a3Start, uint8_t a3End,
                         uint8_t g1Start, uint8_t g1End, uint8_t g2Start, uint8_t g2End);
    void apply_result_line(const std::string& line);
    void save_ini();

private:
    void buildLayout();
    void connectHandlers();
    void applySelectedEntry(QListWidget* list);
    // Start Read on the main window, then the wait for the tag frame;
    // true when a tag frame came.
    bool readsTag();
};

extern TForm2* Form2;
