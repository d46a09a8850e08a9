#include "tests/support/PermissionBits.h"

#include <linux/capability.h>
#include <sys/syscall.h>
#include <unistd.h>

namespace {

bool GetCaps(__user_cap_data_struct (&data)[2]) {
    __user_cap_header_struct header{_LINUX_CAPABILITY_VERSION_3, 0};
    return ::syscall(SYS_capget, &header, data) == 0;
}

bool SetCaps(__user_cap_data_struct (&data)[2]) {
    __user_cap_header_struct header{_LINUX_CAPABILITY_VERSION_3, 0};
    return ::syscall(SYS_capset, &header, data) == 0;
}

} // namespace

CPermissionBitsApply::CPermissionBitsApply() {
    __user_cap_data_struct data[2] = {};
    if (!GetCaps(data))
        return;
    m_saved[0] = data[0].effective;
    m_saved[1] = data[1].effective;
    data[0].effective &=
        ~((1u << CAP_DAC_OVERRIDE) | (1u << CAP_DAC_READ_SEARCH) | (1u << CAP_FOWNER));
    m_changed = SetCaps(data);
}

CPermissionBitsApply::~CPermissionBitsApply() {
    __user_cap_data_struct data[2] = {};
    if (!m_changed || !GetCaps(data))
        return;
    data[0].effective = m_saved[0];
    data[1].effective = m_saved[1];
    SetCaps(data);
}
