// The element factory's two tables: markup element name to control class, style class name to style class.
#pragma once

#include <Toolkit.h>

// The 28 element names of window markup (compared exactly, letter case included).
void fillControlCreators(ElementFactory& factory);
// The 13 class names a style document may give.
void fillStyleCreators(ElementFactory& factory);
