// Low integrity label from its SDDL form, applied with SetSecurityInfo.
#include "IntegrityLabel.h"

#include <aclapi.h>
#include <sddl.h>

void setLowIntegrityLabel(HANDLE object)
{
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    if (!ConvertStringSecurityDescriptorToSecurityDescriptorW(L"S:(ML;;NW;;;LW)", SDDL_REVISION_1, &descriptor, nullptr))
        return;
    PACL sacl = nullptr;
    BOOL present = FALSE, defaulted = FALSE;
    if (GetSecurityDescriptorSacl(descriptor, &present, &sacl, &defaulted) && present)
        SetSecurityInfo(object, SE_KERNEL_OBJECT, LABEL_SECURITY_INFORMATION, nullptr, nullptr, nullptr, sacl);
    LocalFree(descriptor);
}
