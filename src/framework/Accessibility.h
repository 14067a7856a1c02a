#pragma once

#include <windows.h>

#include <oleacc.h>

#include <string>

// What screen readers and other assistive programs are told about windows. oleacc.dll (and the
// string allocator of oleaut32.dll) is loaded the first time one of them asks, so that a start
// where none asks pays nothing for them.
namespace Accessibility {

// The answer to WM_GETOBJECT handing out object (LresultFromObject); 0 when it cannot be made.
LRESULT ResultFromObject(IAccessible* object, WPARAM wParam);

// The system's own object of a window part (CreateStdAccessibleObject); null when there is none.
IAccessible* StandardObject(HWND window, LONG objectId);

// The answer to WM_GETOBJECT for the window's client area: the system's object, named name.
// Labels drawn beside a box are not its name under every system; this makes them so. 0 when
// no object can be made (the caller lets the system answer).
LRESULT NamedClientObject(HWND window, WPARAM wParam, const std::wstring& name);

// A string handed to an assistive program (SysAllocStringLen of oleaut32, loaded on first use
// like oleacc); null when it cannot be made.
BSTR MakeText(const std::wstring& text);

// Tells assistive programs of a change (NotifyWinEvent).
void Notify(DWORD event, HWND window, LONG objectId, LONG childId);

} // namespace Accessibility
