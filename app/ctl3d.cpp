#include "app/ctl3d.h"

#include "app/systemdll.h"

typedef BOOL(WINAPI *Ctl3dCall)(HANDLE);

static Ctl3dCall FindCtl3d(const char *name)
{
    return reinterpret_cast<Ctl3dCall>(
        reinterpret_cast<void *>(SystemFunction("ctl3d32.dll", name)));
}

static void CallCtl3d(const char *name, HINSTANCE instance)
{
    Ctl3dCall call = FindCtl3d(name);
    if (call != nullptr)
        call(instance);
}

void Ctl3dStart(HINSTANCE instance)
{
    CallCtl3d("Ctl3dRegister", instance);
    CallCtl3d("Ctl3dAutoSubclass", instance);
}

void Ctl3dStop(HINSTANCE instance)
{
    CallCtl3d("Ctl3dUnregister", instance);
}
