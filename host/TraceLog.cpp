// lineTrace: the lines compiled code writes for tracing go to "trace.log" in the current
// directory, made (or replaced) on the first line.
#include "host/TraceLog.h"

#include "files/DataFile.h"
#include "host/ShutdownContexts.h"

namespace {

// The log lives until shut-down, when it is flushed and closed so that no line is lost.
class TraceLog final : public ShutdownContext {
public:
    TraceLog() : mFile(NewDataFile()) {
        if (mFile && !mFile->Create(string("trace.log"))) {
            delete mFile;
            mFile = nullptr;
        }
    }
    ~TraceLog() override {
        if (sLog == this) sLog = nullptr;
        if (!mFile) return;
        mFile->Flush();
        delete mFile;
    }
    void Write(const string& text) {
        if (mFile) mFile->WriteLine(text);
    }

    static TraceLog* sLog;

private:
    DataFile* mFile;
};

TraceLog* TraceLog::sLog = nullptr;

}  // namespace

extern "C" void lineTrace(StringRecord* text) {
    if (!TraceLog::sLog) TraceLog::sLog = new TraceLog;
    TraceLog::sLog->Write(string(text));
}
