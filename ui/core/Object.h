// The root of every toolkit object: four property lists, pooled allocation and a virtual destructor.
#pragma once

#include "Geometry.h"
#include "PropertyList.h"

#include <cstdint>
#include <string>

class Object {
public:
    Object() = default;
    virtual ~Object();
    Object(const Object&) = delete;
    Object& operator=(const Object&) = delete;

    // Controls and styles are made and dropped by the thousand; the pool keeps that cheap.
    static void* operator new(size_t size) { return ObjectPool::allocate(size); }
    static void operator delete(void* object) { ObjectPool::release(object); }

    // numbers, colours, and keyword values stored as the keyword's PropertyKey
    PropertyList<int32_t> intProperties;
    PropertyList<Size> sizeProperties;
    PropertyList<Rect> rectProperties;
    PropertyList<std::wstring> textProperties;
};
