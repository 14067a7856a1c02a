#include "forms/PanelAccessible.h"

#include "framework/Accessibility.h"

#include <algorithm>
#include <atomic>

namespace PanelAccessible {

namespace {

using Place = PanelAccessSource::Place;
using Element = PanelAccessSource::Element;

// Ids of shortcuts on the panel's object carry the group in the high word.
constexpr LONG PanelWideIds = 0x10000;
constexpr int MaxGroups = 0x7FFE;
constexpr int MaxLinks = 0xFFFE;

HRESULT Text(const std::wstring& text, BSTR* out) {
    if (out == nullptr) {
        return E_POINTER;
    }
    *out = nullptr;
    if (text.empty()) {
        return S_FALSE;
    }
    *out = Accessibility::MakeText(text);
    return *out != nullptr ? S_OK : E_OUTOFMEMORY;
}

HRESULT Nothing(BSTR* out) {
    if (out == nullptr) {
        return E_POINTER;
    }
    *out = nullptr;
    return S_FALSE;
}

void SetEmpty(VARIANT* out) {
    *out = VARIANT{};
    out->vt = VT_EMPTY;
}

void SetId(VARIANT* out, LONG id) {
    *out = VARIANT{};
    out->vt = VT_I4;
    out->lVal = id;
}

void SetObject(VARIANT* out, IDispatch* object) {
    *out = VARIANT{};
    out->vt = VT_DISPATCH;
    out->pdispVal = object;
}

// The panel's object (no group key) or one group's object.
class Node final : public IAccessible {
public:
    Node(std::shared_ptr<PanelAccessSource*> source, const void* group) : mSource(std::move(source)), mGroup(group) {}

    // IUnknown
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override {
        if (object == nullptr) {
            return E_POINTER;
        }
        if (iid == IID_IUnknown || iid == IID_IDispatch || iid == IID_IAccessible) {
            *object = static_cast<IAccessible*>(this);
            AddRef();
            return S_OK;
        }
        *object = nullptr;
        return E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return ++mReferences; }
    ULONG STDMETHODCALLTYPE Release() override {
        const ULONG left = --mReferences;
        if (left == 0) {
            delete this;
        }
        return left;
    }

    // IDispatch: readers call the interface itself.
    HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override {
        if (count == nullptr) {
            return E_POINTER;
        }
        *count = 0;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE Invoke(DISPID, REFIID, LCID, WORD, DISPPARAMS*, VARIANT*, EXCEPINFO*, UINT*) override {
        return E_NOTIMPL;
    }

    // IAccessible
    HRESULT STDMETHODCALLTYPE get_accParent(IDispatch** parent) override {
        if (parent == nullptr) {
            return E_POINTER;
        }
        *parent = nullptr;
        PanelAccessSource* source = Source();
        if (source == nullptr) {
            return RPC_E_DISCONNECTED;
        }
        if (mGroup != nullptr) {
            *parent = new Node(mSource, nullptr);
            return S_OK;
        }
        IAccessible* window = Accessibility::StandardObject(source->AccessWindow(), OBJID_WINDOW);
        *parent = window;
        return window != nullptr ? S_OK : S_FALSE;
    }

    HRESULT STDMETHODCALLTYPE get_accChildCount(long* count) override {
        if (count == nullptr) {
            return E_POINTER;
        }
        PanelAccessSource* source = Source();
        if (source == nullptr) {
            return RPC_E_DISCONNECTED;
        }
        if (mGroup == nullptr) {
            *count = static_cast<long>(Groups(*source)) + source->ControlCount();
            return S_OK;
        }
        const int group = GroupIndex(*source);
        if (group < 0) {
            return RPC_E_DISCONNECTED;
        }
        *count = std::min(source->ShortcutCount(group), MaxLinks);
        return S_OK;
    }

    HRESULT STDMETHODCALLTYPE get_accChild(VARIANT child, IDispatch** object) override {
        if (object == nullptr) {
            return E_POINTER;
        }
        *object = nullptr;
        PanelAccessSource* source = Source();
        if (source == nullptr) {
            return RPC_E_DISCONNECTED;
        }
        Place place;
        bool self = false;
        if (!Resolve(*source, child, place, self) || self) {
            return E_INVALIDARG;
        }
        // Groups are objects of their own; shortcuts and controls are told through their parent.
        if (mGroup == nullptr && place.group >= 0 && place.link < 0) {
            *object = new Node(mSource, source->GroupKeys()[static_cast<std::size_t>(place.group)]);
            return S_OK;
        }
        return S_FALSE;
    }

    HRESULT STDMETHODCALLTYPE get_accName(VARIANT child, BSTR* name) override {
        return WithElement(child, [&](const Element& e) { return Text(e.name, name); });
    }
    HRESULT STDMETHODCALLTYPE get_accValue(VARIANT, BSTR* value) override { return Nothing(value); }
    HRESULT STDMETHODCALLTYPE get_accDescription(VARIANT, BSTR* text) override { return Nothing(text); }
    HRESULT STDMETHODCALLTYPE get_accRole(VARIANT child, VARIANT* role) override {
        if (role == nullptr) {
            return E_POINTER;
        }
        return WithElement(child, [&](const Element& e) {
            SetId(role, e.role);
            return S_OK;
        });
    }
    HRESULT STDMETHODCALLTYPE get_accState(VARIANT child, VARIANT* state) override {
        if (state == nullptr) {
            return E_POINTER;
        }
        return WithElement(child, [&](const Element& e) {
            SetId(state, e.state);
            return S_OK;
        });
    }
    HRESULT STDMETHODCALLTYPE get_accHelp(VARIANT, BSTR* help) override { return Nothing(help); }
    HRESULT STDMETHODCALLTYPE get_accHelpTopic(BSTR* file, VARIANT, long* topic) override {
        if (topic != nullptr) {
            *topic = 0;
        }
        return Nothing(file);
    }
    HRESULT STDMETHODCALLTYPE get_accKeyboardShortcut(VARIANT, BSTR* keys) override { return Nothing(keys); }

    HRESULT STDMETHODCALLTYPE get_accFocus(VARIANT* child) override {
        if (child == nullptr) {
            return E_POINTER;
        }
        SetEmpty(child);
        PanelAccessSource* source = Source();
        if (source == nullptr) {
            return RPC_E_DISCONNECTED;
        }
        return Describe(*source, source->FocusPlace(), child);
    }
    HRESULT STDMETHODCALLTYPE get_accSelection(VARIANT* children) override { return get_accFocus(children); }

    HRESULT STDMETHODCALLTYPE get_accDefaultAction(VARIANT child, BSTR* action) override {
        return WithElement(child, [&](const Element& e) { return Text(e.defaultAction, action); });
    }

    HRESULT STDMETHODCALLTYPE accSelect(long flags, VARIANT child) override {
        PanelAccessSource* source = Source();
        if (source == nullptr) {
            return RPC_E_DISCONNECTED;
        }
        Place place;
        bool self = false;
        if (!Resolve(*source, child, place, self) || (self && mGroup == nullptr)) {
            return E_INVALIDARG;
        }
        if ((flags & (SELFLAG_TAKEFOCUS | SELFLAG_TAKESELECTION)) == 0) {
            return S_FALSE;
        }
        return source->Select(place) ? S_OK : S_FALSE;
    }

    HRESULT STDMETHODCALLTYPE accLocation(long* left, long* top, long* width, long* height, VARIANT child) override {
        if (left == nullptr || top == nullptr || width == nullptr || height == nullptr) {
            return E_POINTER;
        }
        return WithElement(child, [&](const Element& e) {
            *left = e.screen.left;
            *top = e.screen.top;
            *width = e.screen.right - e.screen.left;
            *height = e.screen.bottom - e.screen.top;
            return S_OK;
        });
    }

    HRESULT STDMETHODCALLTYPE accNavigate(long direction, VARIANT start, VARIANT* end) override {
        if (end == nullptr) {
            return E_POINTER;
        }
        SetEmpty(end);
        PanelAccessSource* source = Source();
        if (source == nullptr) {
            return RPC_E_DISCONNECTED;
        }
        long count = 0;
        if (FAILED(get_accChildCount(&count)) || start.vt != VT_I4) {
            return E_INVALIDARG;
        }
        // Only among this object's children, which are numbered from 1 in order.
        long next = 0;
        if (start.lVal == CHILDID_SELF) {
            next = direction == NAVDIR_FIRSTCHILD ? 1 : direction == NAVDIR_LASTCHILD ? count : 0;
        } else if (start.lVal >= 1 && start.lVal <= count) {
            next = direction == NAVDIR_NEXT ? start.lVal + 1 : direction == NAVDIR_PREVIOUS ? start.lVal - 1 : 0;
        } else {
            return E_INVALIDARG;
        }
        if (next < 1 || next > count) {
            return S_FALSE;
        }
        VARIANT id;
        SetId(&id, next);
        IDispatch* object = nullptr;
        if (get_accChild(id, &object) == S_OK && object != nullptr) {
            SetObject(end, object);
        } else {
            SetId(end, next);
        }
        return S_OK;
    }

    HRESULT STDMETHODCALLTYPE accHitTest(long x, long y, VARIANT* child) override {
        if (child == nullptr) {
            return E_POINTER;
        }
        SetEmpty(child);
        PanelAccessSource* source = Source();
        if (source == nullptr) {
            return RPC_E_DISCONNECTED;
        }
        const Place place = source->PlaceAt(POINT{x, y});
        if (mGroup == nullptr && place.IsNothing()) {
            RECT window{};
            GetWindowRect(source->AccessWindow(), &window);
            if (!PtInRect(&window, POINT{x, y})) {
                return S_FALSE;
            }
            SetId(child, CHILDID_SELF);
            return S_OK;
        }
        return Describe(*source, place, child);
    }

    HRESULT STDMETHODCALLTYPE accDoDefaultAction(VARIANT child) override {
        PanelAccessSource* source = Source();
        if (source == nullptr) {
            return RPC_E_DISCONNECTED;
        }
        Place place;
        bool self = false;
        if (!Resolve(*source, child, place, self)) {
            return E_INVALIDARG;
        }
        return !place.IsNothing() && source->DoDefaultAction(place) ? S_OK : DISP_E_MEMBERNOTFOUND;
    }

    HRESULT STDMETHODCALLTYPE put_accName(VARIANT, BSTR) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE put_accValue(VARIANT, BSTR) override { return E_NOTIMPL; }

private:
    ~Node() = default;

    PanelAccessSource* Source() const { return *mSource; }

    static int Groups(PanelAccessSource& source) {
        return static_cast<int>(std::min<std::size_t>(source.GroupKeys().size(), MaxGroups));
    }

    int GroupIndex(PanelAccessSource& source) const {
        const std::vector<const void*> keys = source.GroupKeys();
        const auto found = std::find(keys.begin(), keys.end(), mGroup);
        return found == keys.end() ? -1 : static_cast<int>(found - keys.begin());
    }

    // The place a child id names on this object; self for the object itself.
    bool Resolve(PanelAccessSource& source, const VARIANT& child, Place& place, bool& self) const {
        if (child.vt != VT_I4) {
            return false;
        }
        const LONG id = child.lVal;
        self = id == CHILDID_SELF;
        if (mGroup != nullptr) {
            place.group = GroupIndex(source);
            if (place.group < 0) {
                return false;
            }
            if (self) {
                return true;
            }
            place.link = static_cast<int>(id) - 1;
            return place.link >= 0 && place.link < std::min(source.ShortcutCount(place.group), MaxLinks);
        }
        if (self) {
            return true;
        }
        const int groups = Groups(source);
        if (id >= PanelWideIds) {
            place.group = static_cast<int>(id >> 16) - 1;
            place.link = static_cast<int>(id & 0xFFFF) - 1;
            return place.group >= 0 && place.group < groups && place.link >= 0 &&
                   place.link < std::min(source.ShortcutCount(place.group), MaxLinks);
        }
        if (id >= 1 && id <= groups) {
            place.group = static_cast<int>(id) - 1;
            return true;
        }
        place.control = static_cast<int>(id) - 1 - groups;
        return place.control >= 0 && place.control < source.ControlCount();
    }

    template <typename F> HRESULT WithElement(const VARIANT& child, F&& answer) const {
        PanelAccessSource* source = Source();
        if (source == nullptr) {
            return RPC_E_DISCONNECTED;
        }
        Place place;
        bool self = false;
        if (!Resolve(*source, child, place, self)) {
            return E_INVALIDARG;
        }
        const Element element = place.link >= 0      ? source->ShortcutElement(place.group, place.link)
                                : place.group >= 0   ? source->GroupElement(place.group)
                                : place.control >= 0 ? source->ControlElement(place.control)
                                                     : source->PanelElement();
        return answer(element);
    }

    // How this object names a place below it: a child id, a group's object, or nothing.
    HRESULT Describe(PanelAccessSource& source, const Place& place, VARIANT* out) const {
        if (mGroup != nullptr) {
            if (place.group < 0 || place.group != GroupIndex(source)) {
                return S_FALSE;
            }
            SetId(out, place.link >= 0 ? place.link + 1 : CHILDID_SELF);
            return S_OK;
        }
        if (place.control >= 0) {
            SetId(out, Groups(source) + 1 + place.control);
            return S_OK;
        }
        if (place.group < 0 || place.group >= Groups(source)) {
            return S_FALSE;
        }
        SetObject(out, new Node(mSource, source.GroupKeys()[static_cast<std::size_t>(place.group)]));
        return S_OK;
    }

    std::shared_ptr<PanelAccessSource*> mSource;
    const void* mGroup;
    std::atomic<ULONG> mReferences{1};
};

} // namespace

LONG EventChildId(int group, int link) {
    if (group < 0 || group >= MaxGroups) {
        return CHILDID_SELF;
    }
    if (link < 0 || link >= MaxLinks) {
        return group + 1;
    }
    return static_cast<LONG>((group + 1) << 16) | static_cast<LONG>(link + 1);
}

Connection::Connection(PanelAccessSource& source) : mSource(std::make_shared<PanelAccessSource*>(&source)) {}

Connection::~Connection() {
    Disconnect();
}

LRESULT Connection::Answer(WPARAM wParam) {
    if (*mSource == nullptr) {
        return 0;
    }
    IAccessible* root = Root();
    const LRESULT result = Accessibility::ResultFromObject(root, wParam);
    root->Release();
    return result;
}

IAccessible* Connection::Root() {
    return new Node(mSource, nullptr);
}

void Connection::Disconnect() {
    *mSource = nullptr;
}

} // namespace PanelAccessible
