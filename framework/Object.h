// Root of the framework's class tree: a virtual destructor and nothing else.
#pragma once

class CObject {
public:
    virtual ~CObject() = default;

protected:
    CObject() = default;
};
