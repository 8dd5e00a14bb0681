// Message maps: each class that handles messages declares a table of entries
// (message, notification code, control id, handler thunk) and names its base
// class's table, so a lookup walks from the most derived class to the root.
// The handler thunks are captureless lambdas made by the ON_ macros, which call
// the named member function with the arguments unpacked from the message.
#pragma once
#include "framework/Object.h"

#include <windows.h>

class CCmdTarget;

using AFX_PMSG_THUNK = LRESULT (*)(CCmdTarget* target, WPARAM wParam, LPARAM lParam);

struct AFX_MSGMAP_ENTRY {
    UINT nMessage;      // window message; WM_COMMAND entries also match nCode and nID
    UINT nCode;         // notification code (WM_COMMAND only)
    UINT nID;           // command or control id (WM_COMMAND only)
    AFX_PMSG_THUNK pfn; // null marks the end of a table
};

struct AFX_MSGMAP {
    const AFX_MSGMAP* (*pfnGetBaseMap)();
    const AFX_MSGMAP_ENTRY* lpEntries;
};

class CCmdTarget : public CObject {
public:
    // Finds the handler for a message in this class's map or a base's; null when none.
    const AFX_MSGMAP_ENTRY* FindMessageEntry(UINT message, UINT code, UINT id) const;
    // Runs the handler this object's map (or a base's) has for command `id` with
    // notification `code`; FALSE when there is none. Dialogs override it to pass
    // unhandled commands on to their owner and the application.
    virtual BOOL OnCmdMsg(UINT id, UINT code, WPARAM wParam, LPARAM lParam);

protected:
    static const AFX_MSGMAP* GetThisMessageMap();
    virtual const AFX_MSGMAP* GetMessageMap() const;
};

// The table macros are laid out by hand, one entry per line.
// clang-format off
#define DECLARE_MESSAGE_MAP()                                                                      \
protected:                                                                                         \
    static const AFX_MSGMAP* GetThisMessageMap();                                                  \
    const AFX_MSGMAP* GetMessageMap() const override;

#define BEGIN_MESSAGE_MAP(theClass, baseClass)                                                     \
    const AFX_MSGMAP* theClass::GetMessageMap() const { return GetThisMessageMap(); }              \
    const AFX_MSGMAP* theClass::GetThisMessageMap() {                                              \
        using ThisClass = theClass;                                                                \
        using TheBaseClass = baseClass;                                                            \
        static_cast<void>(sizeof(ThisClass*));                                                     \
        static const AFX_MSGMAP_ENTRY entries[] = {

#define END_MESSAGE_MAP()                                                                          \
    { 0, 0, 0, nullptr }                                                                           \
    }                                                                                              \
    ;                                                                                              \
    static const AFX_MSGMAP messageMap = {&TheBaseClass::GetThisMessageMap, &entries[0]};          \
    return &messageMap;                                                                            \
    }

#define AFX_THUNK(call)                                                                            \
    [](CCmdTarget* target, WPARAM wParam, LPARAM lParam) -> LRESULT {                              \
        static_cast<void>(wParam);                                                                 \
        static_cast<void>(lParam);                                                                 \
        ThisClass* self = static_cast<ThisClass*>(target);                                         \
        static_cast<void>(self);                                                                   \
        call;                                                                                      \
    }

// Handlers may return a value of their own (an int); the routing drops it.
#define ON_COMMAND(id, memberFxn)                                                                  \
    {WM_COMMAND, 0, static_cast<UINT>(id),                                                         \
     AFX_THUNK(static_cast<void>(self->memberFxn()); return 0)},
#define ON_CONTROL(code, id, memberFxn)                                                            \
    {WM_COMMAND, static_cast<UINT>(code), static_cast<UINT>(id),                                   \
     AFX_THUNK(static_cast<void>(self->memberFxn()); return 0)},
#define ON_BN_CLICKED(id, memberFxn) ON_CONTROL(BN_CLICKED, id, memberFxn)
#define ON_EN_CHANGE(id, memberFxn) ON_CONTROL(EN_CHANGE, id, memberFxn)

// LRESULT memberFxn(WPARAM, LPARAM)
#define ON_MESSAGE(message, memberFxn)                                                             \
    {static_cast<UINT>(message), 0, 0, AFX_THUNK(return self->memberFxn(wParam, lParam))},

#define ON_WM_PAINT() {WM_PAINT, 0, 0, AFX_THUNK(self->OnPaint(); return 0)},
#define ON_WM_SYSCOMMAND()                                                                         \
    {WM_SYSCOMMAND, 0, 0,                                                                          \
     AFX_THUNK(self->OnSysCommand(static_cast<UINT>(wParam), lParam); return 0)},
#define ON_WM_QUERYDRAGICON()                                                                      \
    {WM_QUERYDRAGICON, 0, 0,                                                                       \
     AFX_THUNK(return reinterpret_cast<LRESULT>(self->OnQueryDragIcon()))},
#define ON_WM_SIZE()                                                                               \
    {WM_SIZE, 0, 0,                                                                                \
     AFX_THUNK(self->OnSize(static_cast<UINT>(wParam), static_cast<short>(LOWORD(lParam)),        \
                            static_cast<short>(HIWORD(lParam)));                                   \
               return 0)},
// clang-format on
