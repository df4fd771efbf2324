// The process-wide table from attribute name to the setter of the property of that name.
#pragma once

#include <AttributeSetter.h>

#include <map>
#include <memory>
#include <string>

using SetterTable = std::map<std::wstring, std::unique_ptr<duiField::ISetter>>;

// Fills `table` with the 85 setters: every name of the skin and control properties except the two
// scrolling modes, which markup does not set.
void fillSetterTable(SetterTable& table);
