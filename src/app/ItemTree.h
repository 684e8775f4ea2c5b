#pragma once

#include <windows.h>

#include <commctrl.h>

#include <vector>

#include "base/Handles.h"
#include "engine/Catalogue.h"

namespace klarvex {

// The tree view of the main window bound to the catalogue: one node per
// category and item, each node's state image showing its tick. The tree
// has check boxes (TVS_CHECKBOXES), so that accessibility tools read the
// ticks; the catalogue sets them, never the tree itself.
class TItemTree {
public:
    explicit TItemTree(TCatalogue& catalogue) : catalogue_(catalogue) {}

    // The nodes for the catalogue, expanded as its categories are; the
    // check boxes are checkBoxSize pixels square.
    void Build(HWND tree, int checkBoxSize);
    // New check-box pictures (after a DPI change).
    void SetCheckBoxSize(int size);
    // The ticks of the catalogue onto the nodes.
    void RefreshTicks();
    // A click on the node's check box.
    void Toggle(HTREEITEM node);

    enum class HitPart { Nothing, CheckBox, Label };
    struct Hit {
        HitPart part = HitPart::Nothing;
        HTREEITEM node = nullptr;
    };
    // What lies under that point of the screen.
    Hit HitAt(POINT screen) const;
    // True when the node is the item that opens the custom lists editor.
    bool IsNewListItem(HTREEITEM node) const;

    // The categories' expanded flags into the catalogue and the settings.
    void StoreExpandState();

private:
    static LRESULT CALLBACK TreeProc(HWND tree, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR,
                                     DWORD_PTR self);

    struct Position {
        size_t category = 0;
        size_t itemPlusOne = 0;  // 0: the category itself
    };
    bool PositionOf(HTREEITEM node, Position& position) const;

    TCatalogue& catalogue_;
    HWND tree_ = nullptr;
    ImageList stateImages_;
    std::vector<HTREEITEM> categoryNodes_;
    std::vector<std::vector<HTREEITEM>> itemNodes_;
};

}  // namespace klarvex
