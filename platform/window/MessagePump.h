#pragma once
// Letting the window's thread breathe during long work that runs on it.
//
// Dispatches the events and messages waiting now (input, painting, timers, posted
// messages) and returns without waiting for more. Everything dispatched runs on the
// calling thread, nested inside the caller: the caller must make sure that nothing it
// lets run can start the same work again or read state it is half-way through writing
// (disable the windows that could, and guard against being re-entered).
void AfxPumpWaitingMessages();
