#include "app/CheckBoxImages.h"

#include <algorithm>

namespace klarvex {

namespace {

enum CheckBoxImage { kNone = 0, kUnticked = 1, kTicked = 2, kImageCount = 3 };

void DrawCheckBox(HDC dc, int size, int image, HPEN frame, HPEN tick) {
    RECT all{0, 0, size, size};
    FillRect(dc, &all, GetSysColorBrush(COLOR_WINDOW));
    if (image == kNone) return;
    const int a = size / 8, b = size - size / 8 - 1;
    DcSelection pen(dc, frame);
    DcSelection brush(dc, GetSysColorBrush(COLOR_WINDOW));
    Rectangle(dc, a, a, b + 1, b + 1);
    if (image != kTicked) return;
    SelectObject(dc, tick);
    const int w = b - a;
    MoveToEx(dc, a + w / 5, a + w / 2, nullptr);
    LineTo(dc, a + w * 2 / 5, a + w * 3 / 4);
    LineTo(dc, a + w * 4 / 5, a + w / 4);
}

}  // namespace

ImageList CreateCheckBoxImages(int size) {
    ImageList list(ImageList_Create(size, size, ILC_COLOR24, kImageCount, 0));
    if (!list) return list;
    WindowDc screen(nullptr);
    MemoryDc dc(CreateCompatibleDC(screen.Get()));
    Pen frame(CreatePen(PS_SOLID, 1, GetSysColor(COLOR_BTNSHADOW)));
    Pen tick(CreatePen(PS_SOLID, std::max(2, size / 8), GetSysColor(COLOR_WINDOWTEXT)));
    for (int image = 0; image < kImageCount; ++image) {
        Bitmap bitmap(CreateCompatibleBitmap(screen.Get(), size, size));
        {
            DcSelection selected(dc.Get(), bitmap.Get());
            DrawCheckBox(dc.Get(), size, image, frame.Get(), tick.Get());
        }
        // The list keeps a copy of the picture.
        ImageList_Add(list.Get(), bitmap.Get(), nullptr);
    }
    return list;
}

}  // namespace klarvex
