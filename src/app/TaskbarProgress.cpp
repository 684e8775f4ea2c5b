#include "app/TaskbarProgress.h"

namespace klarvex {

TTaskbarProgress::~TTaskbarProgress() {
    list_.Reset();
    if (comStarted_) CoUninitialize();
}

UINT TTaskbarProgress::ButtonCreatedMessage() {
    static const UINT message = RegisterWindowMessageW(L"TaskbarButtonCreated");
    return message;
}

ITaskbarList3* TTaskbarProgress::List() {
    if (tried_) return list_.Get();
    tried_ = true;
    if (!comStarted_) comStarted_ = SUCCEEDED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED));
    ComPtr<ITaskbarList3> list;
    if (SUCCEEDED(CoCreateInstance(CLSID_TaskbarList, nullptr, CLSCTX_INPROC_SERVER, IID_ITaskbarList3,
                                   reinterpret_cast<void**>(list.Put()))) &&
        list && SUCCEEDED(list.Get()->HrInit()))
        list_ = std::move(list);
    return list_.Get();
}

void TTaskbarProgress::Show(TaskbarState state, int32_t position) {
    // Nothing to take away while nothing was ever shown: an idle window
    // never loads COM for the taskbar.
    if (state == TaskbarState::None && state_ == TaskbarState::None && !tried_) return;
    state_ = state;
    position_ = position;
    ITaskbarList3* list = List();
    if (!list || !window_) return;
    switch (state) {
        case TaskbarState::None: list->SetProgressState(window_, TBPF_NOPROGRESS); break;
        case TaskbarState::Moving: list->SetProgressState(window_, TBPF_INDETERMINATE); break;
        case TaskbarState::Normal:
        case TaskbarState::Error:
            // The value first: a state set before any value shows nothing
            // on some versions of the shell.
            list->SetProgressValue(window_, static_cast<ULONGLONG>(position), kProgressMax);
            list->SetProgressState(window_, state == TaskbarState::Normal ? TBPF_NORMAL : TBPF_ERROR);
            break;
    }
}

void TTaskbarProgress::OnButtonCreated() {
    // The first button, or Explorer started anew with a new taskbar list.
    list_.Reset();
    tried_ = false;
    if (state_ != TaskbarState::None) Show(state_, position_);
}

}  // namespace klarvex
