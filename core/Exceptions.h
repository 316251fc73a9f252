// Raising language exceptions from runtime code. A raising function returns normally; the runtime
// function that called it returns at once, leaving its result to be ignored.
//
// Until the exception classes and the frame-walking dispatcher exist, a raise only records the name
// of the exception class it would raise, so that callers and tests can see it; nothing is
// delivered to compiled code yet.
#pragma once

extern "C" {
void RaiseNilObjectException();
void RaiseIllegalCastException();
void RaiseOutOfBoundsException();
}

// The class name of the last exception raised and not yet taken, or null.
const char* PendingExceptionName();
// Takes the pending exception: returns its class name (null when none) and clears it.
const char* TakePendingException();
