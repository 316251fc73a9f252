#include "ShutdownContexts.h"

namespace {

ShutdownContext* sFirstContext = nullptr;

}  // namespace

ShutdownContext::ShutdownContext() : mNext(sFirstContext) { sFirstContext = this; }

ShutdownContext::~ShutdownContext() {
    ShutdownContext** link = &sFirstContext;
    while (*link && *link != this) link = &(*link)->mNext;
    if (*link) *link = mNext;
}

void DestroyShutdownContexts() {
    while (sFirstContext) delete sFirstContext;
}
