#include "app/ItemTree.h"

#include "app/CheckBoxImages.h"

namespace klarvex {

namespace {

// Tree node <-> catalogue position: the category index in the high word,
// the item index + 1 in the low word (0 for the category itself).
LPARAM NodeParam(size_t category, size_t itemPlusOne) {
    return static_cast<LPARAM>((category << 16) | itemPlusOne);
}

}  // namespace

void TItemTree::Build(HWND tree, int checkBoxSize) {
    tree_ = tree;
    SetWindowSubclass(tree_, TreeProc, 0, reinterpret_cast<DWORD_PTR>(this));
    SetCheckBoxSize(checkBoxSize);
    const auto& categories = catalogue_.Categories();
    categoryNodes_.assign(categories.size(), nullptr);
    itemNodes_.assign(categories.size(), {});
    for (size_t c = 0; c < categories.size(); ++c) {
        TVINSERTSTRUCTW insert{};
        insert.hParent = TVI_ROOT;
        insert.hInsertAfter = TVI_LAST;
        insert.item.mask = TVIF_TEXT | TVIF_PARAM;
        std::wstring text = DisplayName(categories[c].Text);
        insert.item.pszText = text.data();
        insert.item.lParam = NodeParam(c, 0);
        categoryNodes_[c] = TreeView_InsertItem(tree_, &insert);
        for (size_t i = 0; i < categories[c].Items.size(); ++i) {
            insert.hParent = categoryNodes_[c];
            text = DisplayName(categories[c].Text, categories[c].Items[i].Text);
            insert.item.pszText = text.data();
            insert.item.lParam = NodeParam(c, i + 1);
            itemNodes_[c].push_back(TreeView_InsertItem(tree_, &insert));
        }
        if (categories[c].Expanded) TreeView_Expand(tree_, categoryNodes_[c], TVE_EXPAND);
    }
    RefreshTicks();
    if (!categoryNodes_.empty()) TreeView_EnsureVisible(tree_, categoryNodes_.front());
}

void TItemTree::SetCheckBoxSize(int size) {
    ImageList images = CreateCheckBoxImages(size);
    HIMAGELIST previous = TreeView_SetImageList(tree_, images.Get(), TVSIL_STATE);
    // The pictures the tree made for its check boxes are the program's to
    // free; the tree no longer uses the old ones once the new are set.
    if (previous && previous != stateImages_.Get()) ImageList_Destroy(previous);
    stateImages_ = std::move(images);
}

// The tree would flip a check box itself on the space bar and on a double
// click; the catalogue's ticks are put back at once (a tick the catalogue
// takes has been set already, through the main window).
LRESULT CALLBACK TItemTree::TreeProc(HWND tree, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR,
                                     DWORD_PTR self) {
    switch (message) {
        case WM_KEYDOWN:
        case WM_CHAR:  // some trees flip on the character rather than the key
        case WM_LBUTTONDOWN:
        case WM_LBUTTONDBLCLK: {
            const LRESULT result = DefSubclassProc(tree, message, wParam, lParam);
            const bool key = message == WM_KEYDOWN || message == WM_CHAR;
            if (!key || wParam == VK_SPACE) reinterpret_cast<TItemTree*>(self)->RefreshTicks();
            return result;
        }
        case WM_NCDESTROY:
            RemoveWindowSubclass(tree, TreeProc, 0);
            break;
        default:
            break;
    }
    return DefSubclassProc(tree, message, wParam, lParam);
}

void TItemTree::RefreshTicks() {
    const auto& categories = catalogue_.Categories();
    auto show = [this](HTREEITEM node, TickState state) {
        TreeView_SetItemState(tree_, node, INDEXTOSTATEIMAGEMASK(static_cast<UINT>(state)), TVIS_STATEIMAGEMASK);
    };
    for (size_t c = 0; c < categories.size() && c < categoryNodes_.size(); ++c) {
        show(categoryNodes_[c], categories[c].State);
        for (size_t i = 0; i < categories[c].Items.size(); ++i) show(itemNodes_[c][i], categories[c].Items[i].State);
    }
}

bool TItemTree::PositionOf(HTREEITEM node, Position& position) const {
    TVITEMW item{};
    item.mask = TVIF_PARAM;
    item.hItem = node;
    if (!TreeView_GetItem(tree_, &item)) return false;
    position.category = static_cast<size_t>(item.lParam) >> 16;
    position.itemPlusOne = static_cast<size_t>(item.lParam) & 0xFFFF;
    const auto& categories = catalogue_.Categories();
    return position.category < categories.size() &&
           position.itemPlusOne <= categories[position.category].Items.size();
}

void TItemTree::Toggle(HTREEITEM node) {
    Position position;
    if (!PositionOf(node, position)) return;
    if (position.itemPlusOne == 0) catalogue_.ClickCheckBox(position.category);
    else catalogue_.ClickCheckBox(position.category, position.itemPlusOne - 1);
    RefreshTicks();
}

TItemTree::Hit TItemTree::HitAt(POINT screen) const {
    TVHITTESTINFO hit{};
    hit.pt = screen;
    ScreenToClient(tree_, &hit.pt);
    if (!TreeView_HitTest(tree_, &hit) || !hit.hItem) return {};
    if (hit.flags & TVHT_ONITEMSTATEICON) return {HitPart::CheckBox, hit.hItem};
    if (hit.flags & TVHT_ONITEMLABEL) return {HitPart::Label, hit.hItem};
    return {};
}

bool TItemTree::IsNewListItem(HTREEITEM node) const {
    Position position;
    return PositionOf(node, position) && position.itemPlusOne > 0 &&
           catalogue_.Categories()[position.category].Items[position.itemPlusOne - 1].Text == kNewListItem;
}

void TItemTree::StoreExpandState() {
    for (size_t c = 0; c < categoryNodes_.size(); ++c)
        catalogue_.SetExpanded(c,
                               (TreeView_GetItemState(tree_, categoryNodes_[c], TVIS_EXPANDED) & TVIS_EXPANDED) != 0);
    catalogue_.StoreExpandState();
}

}  // namespace klarvex
