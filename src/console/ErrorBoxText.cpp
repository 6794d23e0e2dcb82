#include "console/HandlerGuard.h"
#include "console/PortHints.h"
#include "console/PortList.h"
#include "link/PortBackend.h"
#include "link/TALVOR_comport.h"

std::string ErrorBoxText(const std::exception& e) {
    const auto* port = dynamic_cast<const EComPort*>(&e);
    if (port == nullptr || port->Code() != CError_OpenFailed || com_form == nullptr)
        return e.what();
    HintSources sources;
    try {
        sources.present = OfferedPortNames();
    } catch (const std::exception&) {
        // A list that cannot be read leaves the hint without it.
    }
    const std::string hint =
        PortOpenHint(PortDevicePath(com_form->comport1.Port()), port->WinCode(), sources);
    return hint.empty() ? e.what() : e.what() + std::string("\n") + hint;
}
