#pragma once
// The one way a replaceable service is held: a slot that answers the installed service,
// or a stand-in when none is installed. The window layer's message box, "open" and folder
// chooser, the busy cursor and the trash displays are all reached through one of these,
// so tests can put a scripted service in place of one that shows a window.
//
// Installing null puts the stand-in back. An installed service must outlive its use.

template <class Service> class CServiceSlot {
public:
    explicit CServiceSlot(Service& standIn) : m_standIn(standIn), m_current(&standIn) {}
    CServiceSlot(const CServiceSlot&) = delete;
    CServiceSlot& operator=(const CServiceSlot&) = delete;

    // Never null.
    Service& Get() const { return *m_current; }
    // True while a service other than the stand-in is installed.
    bool HasInstalled() const { return m_current != &m_standIn; }
    void Install(Service* service) { m_current = service ? service : &m_standIn; }

private:
    Service& m_standIn;
    Service* m_current;
};

// The process-wide slot of Service whose stand-in is a StandIn, both made on first use.
template <class Service, class StandIn> CServiceSlot<Service>& StaticServiceSlot() {
    static StandIn standIn;
    static CServiceSlot<Service> slot(standIn);
    return slot;
}
