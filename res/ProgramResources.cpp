#include "res/ProgramResources.h"

#include "platform/window/Resources.h"
#include "platform/window/Styles.h"
#include "res/resource.h"
#include "res/version.h"

namespace {

#define RZ_STRINGIFY_(x) #x
#define RZ_STRINGIFY(x) RZ_STRINGIFY_(x)

// clang-format off
// First pass: each dialog's controls.
#define RZ_DIALOG_BEGIN(id, caption, cx, cy, font, pointSize, style, exStyle)                      \
    constexpr DialogItemTemplate kItems_##id[] = {
#define RZ_CONTROL(kind, text, id, x, y, cx, cy, style, ...)                                       \
    {ControlKind::kind, id, text, x, y, cx, cy, style, __VA_ARGS__},
#define RZ_LAYOUT(moveX, moveY, sizeX, sizeY) DialogItemLayout{moveX, moveY, sizeX, sizeY}
#define RZ_ICON(iconId, id, x, y, cx, cy, style)                                                   \
    {ControlKind::Icon, id, RZ_STRINGIFY(iconId), x, y, cx, cy, style},
#define RZ_DIALOG_END(id) };
#include "res/Dialogs.inc"
#undef RZ_DIALOG_BEGIN
#undef RZ_CONTROL
#undef RZ_LAYOUT
#undef RZ_ICON
#undef RZ_DIALOG_END

// Second pass: the dialogs.
#define RZ_DIALOG_BEGIN(id, caption, cx, cy, font, pointSize, style, exStyle)                      \
    {id, caption, cx, cy, font, pointSize, style, exStyle, kItems_##id},
#define RZ_CONTROL(...)
#define RZ_ICON(...)
#define RZ_DIALOG_END(id)
constexpr DialogTemplate kDialogs[] = {
#include "res/Dialogs.inc"
};
#undef RZ_DIALOG_BEGIN
#undef RZ_CONTROL
#undef RZ_ICON
#undef RZ_DIALOG_END

// The accelerator tables.
#define RZ_ACCEL_BEGIN(id) constexpr ACCEL kAccelerators_##id[] = {
#define RZ_ACCEL_CONTROL(key, command) {FVIRTKEY | FCONTROL, key, command},
#define RZ_ACCEL_END(id) };
#include "res/Accelerators.inc"
#undef RZ_ACCEL_BEGIN
#undef RZ_ACCEL_CONTROL
#undef RZ_ACCEL_END
#define RZ_ACCEL_BEGIN(id) {id, kAccelerators_##id},
#define RZ_ACCEL_CONTROL(key, command)
#define RZ_ACCEL_END(id)
constexpr AcceleratorTableResource kAcceleratorTables[] = {
#include "res/Accelerators.inc"
};
#undef RZ_ACCEL_BEGIN
#undef RZ_ACCEL_CONTROL
#undef RZ_ACCEL_END

// clang-format on

constexpr StringResource kStrings[] = {
    {IDS_ABOUTBOX, RZ_ABOUT_ITEM},
    {IDS_UNDO_LAST_DELETE, RZ_UNDO_ITEM},
    {IDS_SHOW_SIZES, RZ_SHOW_SIZES_ITEM},
    {AFX_IDS_APP_TITLE, RZ_APP_TITLE},
};

// Compiled in as Qt resources (res/CMakeLists.txt); the Windows build's icon is in its
// resource script.
constexpr IconImageResource kIconImages[] = {
    {IDR_MAINFRAME, ":/res/icons/mainframe-32.png"},
    {IDR_MAINFRAME, ":/res/icons/mainframe-16.png"},
};

constexpr CResourceSet kResources{kDialogs, kStrings, kIconImages, kAcceleratorTables};

} // namespace

void InstallProgramResources() {
    AfxSetResources(&kResources);
}

const CResourceSet& ProgramResources() {
    return kResources;
}
