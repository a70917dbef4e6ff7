// CGdiObject: the owner of one software GDI object (bitmap or palette); deletes it on destruction.
#pragma once

#include "framework/Object.h"
#include "framework/WinDefs.h"

struct GdiHandle;

class CGdiObject : public CObject {
public:
    static const CRuntimeClass classCGdiObject;
    const CRuntimeClass* GetRuntimeClass() const override;

    CGdiObject() = default;
    ~CGdiObject() override;
    CGdiObject(const CGdiObject&) = delete;
    CGdiObject& operator=(const CGdiObject&) = delete;

    // The held object, or nullptr.
    GdiHandle* GetSafeHandle() const { return m_hObject; }
    // Takes ownership of `handle`; FALSE (and nothing held) when it is null or one is held already.
    BOOL Attach(GdiHandle* handle);
    // Gives the object up without deleting it.
    GdiHandle* Detach();
    // Deletes the held object (a context that still has it selected keeps it until released).
    // FALSE when nothing was held.
    BOOL DeleteObject();

protected:
    GdiHandle* m_hObject = nullptr;
};
