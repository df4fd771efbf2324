// The interface of one element-factory entry: makes a new default-constructed control or style.
#pragma once

class Object;

namespace duiFactory {

class Creator {
public:
    virtual ~Creator() = default;
    virtual Object* create() = 0;
};

// The creator of one class.
template <class T>
class Creator_ : public Creator {
public:
    Object* create() override { return new T(); }
};

} // namespace duiFactory
