// CGdiObject: ownership of one software GDI object.
#include "framework/GdiObject.h"

#include "framework/GdiBitmap.h"

const CRuntimeClass CGdiObject::classCGdiObject = {"CGdiObject", &CObject::classCObject};
const CRuntimeClass* CGdiObject::GetRuntimeClass() const { return &classCGdiObject; }

CGdiObject::~CGdiObject() { DeleteObject(); }

BOOL CGdiObject::Attach(GdiHandle* handle) {
    if (handle == nullptr || m_hObject != nullptr) return FALSE;
    m_hObject = handle;
    handle->owner = this;
    return TRUE;
}

GdiHandle* CGdiObject::Detach() {
    GdiHandle* h = m_hObject;
    if (h != nullptr) h->owner = nullptr;
    m_hObject = nullptr;
    return h;
}

BOOL CGdiObject::DeleteObject() {
    GdiHandle* h = Detach();
    if (h == nullptr) return FALSE;
    GdiDeleteHandle(h);
    return TRUE;
}
