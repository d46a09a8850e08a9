#pragma once
// Permission bits that hold for root too, for tests that need a refusal from the system
// while running as root.

// While it lives, the calling thread's effective capabilities lack those that override
// file permissions (CAP_DAC_OVERRIDE, CAP_DAC_READ_SEARCH, CAP_FOWNER), so a folder
// without write permission refuses changes even to root; they are restored when it ends.
// Harmless for an ordinary user, who has none of them.
class CPermissionBitsApply {
public:
    CPermissionBitsApply();
    ~CPermissionBitsApply();
    CPermissionBitsApply(const CPermissionBitsApply&) = delete;
    CPermissionBitsApply& operator=(const CPermissionBitsApply&) = delete;

private:
    unsigned m_saved[2] = {0, 0}; // the effective sets before, to restore
    bool m_changed = false;
};
