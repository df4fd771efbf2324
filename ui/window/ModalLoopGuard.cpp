// ModalLoopGuard: the hooks the script layer installs.
#include "ModalLoopGuard.h"

ModalLoopGuard::OpenHook ModalLoopGuard::openHook = nullptr;
ModalLoopGuard::CloseHook ModalLoopGuard::closeHook = nullptr;
