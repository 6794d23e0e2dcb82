#include "app/SimulatorTagMenu.h"

#include <QAction>
#include <QActionGroup>
#include <QMenu>

#include "sim/SimulatorServer.h"

void AddSimulatorTagItems(QMenu* menu, QWidget* owner, SimulatorServer* simulator) {
    using Choice = SimulatedModule::TagChoice;
    auto* choices = new QActionGroup(owner);
    auto addChoice = [&](const char* name, const QString& caption, Choice choice) {
        QAction* a = menu->addAction(caption);
        a->setObjectName(name);
        a->setCheckable(true);
        choices->addAction(a);
        QObject::connect(a, &QAction::triggered, owner, [simulator, choice] {
            simulator->withModule([choice](SimulatedModule& m) { m.selectTag(choice); });
        });
        return a;
    };
    QAction* fixed = addChoice("SimTagFixed", "Fixed EM4100 Tag", Choice::FixedEm4100);
    QAction* t5557 = addChoice("SimTagT5557", "Programmable T5557", Choice::T5557);
    Choice placed = Choice::FixedEm4100;
    simulator->withModule([&placed](SimulatedModule& m) { placed = m.selectedTag(); });
    (placed == Choice::T5557 ? t5557 : fixed)->setChecked(true);

    QAction* blank = menu->addAction("Swap in a Blank Tag");
    blank->setObjectName("SimSwapBlankTag");
    QObject::connect(blank, &QAction::triggered, owner, [simulator, t5557] {
        simulator->withModule([](SimulatedModule& m) { m.swapInBlankTag(); });
        t5557->setChecked(true);
    });

    QAction* lose = menu->addAction("Next Write Fails Silently");
    lose->setObjectName("SimLoseNextWrite");
    lose->setToolTip("The next block write is answered with success but the tag keeps its data");
    QObject::connect(lose, &QAction::triggered, owner, [simulator] {
        simulator->withModule([](SimulatedModule& m) { m.loseNextWrite(); });
    });
}
