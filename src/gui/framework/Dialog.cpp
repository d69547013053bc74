#include "framework/Dialog.h"

namespace {

HINSTANCE g_resourceInstance = nullptr;

// Messages whose answer is the dialog procedure's own return value rather
// than DWLP_MSGRESULT.
bool AnswersDirectly(UINT message) {
    switch (message) {
        case WM_CTLCOLORMSGBOX:
        case WM_CTLCOLOREDIT:
        case WM_CTLCOLORLISTBOX:
        case WM_CTLCOLORBTN:
        case WM_CTLCOLORDLG:
        case WM_CTLCOLORSCROLLBAR:
        case WM_CTLCOLORSTATIC:
        case WM_COMPAREITEM:
        case WM_VKEYTOITEM:
        case WM_CHARTOITEM:
        case WM_QUERYDRAGICON:
        case WM_INITDIALOG:
            return true;
        default:
            return false;
    }
}

}  // namespace

HINSTANCE ResourceInstance() {
    return g_resourceInstance ? g_resourceInstance : GetModuleHandleW(nullptr);
}

void SetResourceInstance(HINSTANCE instance) {
    g_resourceInstance = instance;
}

Dialog::~Dialog() {
    if (m_hwnd)
        DestroyWindow(m_hwnd);
}

HWND Dialog::Create(HWND parent) {
    if (m_hwnd)
        return nullptr;
    m_modal = false;
    return CreateDialogParamW(ResourceInstance(), MAKEINTRESOURCEW(m_templateId), parent,
                              &Dialog::DialogProc, reinterpret_cast<LPARAM>(this));
}

INT_PTR Dialog::DoModal(HWND parent) {
    if (m_hwnd)
        return -1;
    m_modal = true;
    return DialogBoxParamW(ResourceInstance(), MAKEINTRESOURCEW(m_templateId), parent,
                           &Dialog::DialogProc, reinterpret_cast<LPARAM>(this));
}

void Dialog::Destroy() {
    if (m_hwnd)
        DestroyWindow(m_hwnd);
}

void Dialog::EndDialog(INT_PTR result) {
    if (!m_hwnd)
        return;
    if (m_modal) {
        ::EndDialog(m_hwnd, result);
    } else {
        DestroyWindow(m_hwnd);
    }
}

bool Dialog::OnCommand(int, int, HWND) {
    return false;
}

bool Dialog::OnNotify(NMHDR* header, LRESULT& result) {
    return ReflectToChild(WM_NOTIFY, header->idFrom, reinterpret_cast<LPARAM>(header), result);
}

void Dialog::OnSize(UINT, int, int) {}

bool Dialog::OnOtherMessage(UINT, WPARAM, LPARAM, LRESULT&) {
    return false;
}

INT_PTR CALLBACK Dialog::DialogProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    Dialog* self = static_cast<Dialog*>(FromHandle(window));
    if (!self && message == WM_INITDIALOG) {
        self = reinterpret_cast<Dialog*>(lParam);
        if (self)
            self->Attach(window);
    }
    if (!self)
        return FALSE;
    INT_PTR handled = self->HandleMessage(message, wParam, lParam);
    self->AfterMessage(window, message);
    return handled;
}

INT_PTR Dialog::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    LRESULT result = 0;
    bool handled = false;
    switch (message) {
        case WM_INITDIALOG:
            return OnInitDialog();
        case WM_COMMAND:
            handled = OnCommand(LOWORD(wParam), HIWORD(wParam), reinterpret_cast<HWND>(lParam));
            if (!handled)
                handled = ReflectToChild(message, wParam, lParam, result);
            break;
        case WM_NOTIFY:
            handled = OnNotify(reinterpret_cast<NMHDR*>(lParam), result);
            break;
        case WM_SIZE:
            OnSize(static_cast<UINT>(wParam), LOWORD(lParam), HIWORD(lParam));
            handled = true;
            break;
        case WM_DESTROY:
            OnDestroy();
            return FALSE;
        default:
            handled = OnOtherMessage(message, wParam, lParam, result);
            break;
    }
    if (!handled)
        return FALSE;
    if (AnswersDirectly(message))
        return static_cast<INT_PTR>(result);
    SetWindowLongPtrW(m_hwnd, DWLP_MSGRESULT, result);
    return TRUE;
}

void CentreWindow(HWND window) {
    RECT work = {};
    SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
    HWND owner = (GetWindowLongW(window, GWL_STYLE) & WS_CHILD) ? GetParent(window)
                                                                : GetWindow(window, GW_OWNER);
    RECT reference = work;
    if (owner && IsWindowVisible(owner) && !IsIconic(owner))
        GetWindowRect(owner, &reference);
    RECT rect = {};
    GetWindowRect(window, &rect);
    const LONG width = rect.right - rect.left;
    const LONG height = rect.bottom - rect.top;
    LONG left = (reference.left + reference.right) / 2 - width / 2;
    LONG top = (reference.top + reference.bottom) / 2 - height / 2;
    if (left < work.left) {
        left = work.left;
    } else if (left + width > work.right) {
        left = work.right - width;
    }
    if (top < work.top) {
        top = work.top;
    } else if (top + height > work.bottom) {
        top = work.bottom - height;
    }
    if (GetWindowLongW(window, GWL_STYLE) & WS_CHILD) {
        POINT corner = {left, top};
        ScreenToClient(GetParent(window), &corner);
        left = corner.x;
        top = corner.y;
    }
    SetWindowPos(window, nullptr, left, top, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void Dialog::EnableControls(std::initializer_list<std::pair<int, bool>> states) {
    for (const auto& state : states) {
        if (state.second)
            EnableWindow(Item(state.first), TRUE);
    }
    for (const auto& state : states) {
        HWND control = Item(state.first);
        if (state.second || control == nullptr)
            continue;
        if (GetFocus() == control) {
            HWND next = GetNextDlgTabItem(m_hwnd, control, FALSE);
            if (next != nullptr && next != control)
                SetFocus(next);
        }
        EnableWindow(control, FALSE);
    }
}
