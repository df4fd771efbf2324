// The root toolkit object; its lists release their nodes on destruction.
#include "Object.h"

Object::~Object() = default;
