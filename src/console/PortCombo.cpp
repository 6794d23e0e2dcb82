#include "console/PortCombo.h"

#include <QAbstractItemView>
#include <QLineEdit>
#include <QScrollBar>
#include <QSignalBlocker>

#include "module/DeviceInfo.h"
#include "console/PortList.h"
#include "console/Widgets.h"

PortComboBox::PortComboBox(QWidget* parent, const char* name) : QComboBox(parent) {
    setObjectName(name);
    setEditable(true);
    setInsertPolicy(QComboBox::NoInsert);
}

void PortComboBox::showPopup() {
    if (BeforePopup) BeforePopup();
    // Device paths are longer than the field is wide: show them whole.
    view()->setMinimumWidth(view()->sizeHintForColumn(0) + 2 * view()->frameWidth() +
                            view()->verticalScrollBar()->sizeHint().width());
    QComboBox::showPopup();
}

namespace {

struct Item {
    QString path;
    QString description;
    QString toolTip;
};

Item Describe(const std::string& path) {
    const DeviceInfo info = ReadDeviceInfo(path, CurrentPortFolders());
    Item item{FromStd(path), QString::fromStdString(DescribeDevice(info)), {}};
    item.toolTip = item.description;
    for (const std::string& name : info.byId)
        item.toolTip +=
            "\n" + QString::fromStdString(CurrentPortFolders().devDir + "/serial/by-id/" + name);
    return item;
}

}  // namespace

void ShowPorts(QComboBox* combo, const std::vector<std::string>& ports) {
    std::vector<Item> items;
    for (const std::string& port : ports) items.push_back(Describe(port));
    bool same = static_cast<int>(items.size()) == combo->count();
    for (int i = 0; same && i < combo->count(); ++i)
        same = combo->itemText(i) == items[i].path &&
               combo->itemData(i, Qt::ToolTipRole).toString() == items[i].toolTip;
    if (same) return;

    const QSignalBlocker blocker(combo);
    QLineEdit* edit = combo->lineEdit();
    const QString text = combo->currentText();
    const int cursor = edit ? edit->cursorPosition() : 0;
    const int selectionStart = edit ? edit->selectionStart() : -1;
    const int selectionLength = edit ? edit->selectedText().size() : 0;
    combo->clear();
    for (const Item& item : items) {
        combo->addItem(item.path);
        const int row = combo->count() - 1;
        combo->setItemData(row, item.toolTip, Qt::ToolTipRole);
        combo->setItemData(row, item.description, Qt::AccessibleDescriptionRole);
    }
    combo->setCurrentIndex(combo->findText(text, Qt::MatchExactly | Qt::MatchCaseSensitive));
    if (!edit) return;
    edit->setText(text);
    if (selectionStart >= 0)
        edit->setSelection(selectionStart, selectionLength);
    else
        edit->setCursorPosition(cursor);
}
