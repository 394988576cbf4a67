#pragma once
// The eight windows, created once at start-up in this order and alive until the end, so that
// one window can show another.

#include <vector>

class QWidget;

namespace vela::app {

class TConnectForm;
class TLoadAllMemForm;
class TEM100Form;
class TMainMenu;
class TAcercadeForm;
class TDATAForm;
class TW_Serial_Info_Form;
class TSystemInfoForm;

struct WindowSet {
    TConnectForm* connect = nullptr;
    TLoadAllMemForm* library = nullptr;
    TEM100Form* ethernet = nullptr;
    TMainMenu* mainMenu = nullptr;
    TAcercadeForm* about = nullptr;
    TDATAForm* data = nullptr;
    TW_Serial_Info_Form* transfer = nullptr;
    TSystemInfoForm* systemInfo = nullptr;
    // Every window as it was created, first to last.
    std::vector<QWidget*> inCreationOrder;
};

}  // namespace vela::app
