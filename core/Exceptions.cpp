#include "Exceptions.h"

// Stand-in until the exception classes and the dispatcher exist: see Exceptions.h.
static const char* sPendingException = nullptr;

extern "C" {
void RaiseNilObjectException() { sPendingException = "NilObjectException"; }
void RaiseIllegalCastException() { sPendingException = "IllegalCastException"; }
void RaiseOutOfBoundsException() { sPendingException = "OutOfBoundsException"; }
}

const char* PendingExceptionName() { return sPendingException; }

const char* TakePendingException() {
    const char* name = sPendingException;
    sPendingException = nullptr;
    return name;
}
