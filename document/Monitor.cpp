#include "document/Monitor.h"

#include "app/AppState.h"
#include "document/DocumentNames.h"
#include "document/DocumentState.h"
#include "document/Notify.h"
#include "resource.h"
#include "settings/SettingsRecord.h"
#include "text/TextRoutines.h"

namespace {

// Without a change in the folder the thread still looks every five minutes.
constexpr DWORD kFallbackWaitMs = 300000;
// A thread that has not ended this long after its stop signal (it would
// have to be stuck inside the system) is ended by force.
constexpr DWORD kStopGraceMs = 10000;
constexpr DWORD kStopPollMs = 50;

// What one watching thread works from. The thread has its own copy of the
// path and of the last-write time it has seen, so the interface thread may
// change the document's fields (an open, a save) while it runs; the job is
// freed by the interface thread once the thread has ended.
struct MonitorJob {
    char path[kPathSize];
    FILETIME seen;
    HANDLE changeHandle; // INVALID_HANDLE_VALUE when the folder cannot be watched
    HANDLE stopEvent;
    bool lookFirst;
};

struct MonitorState {
    volatile LONG monitorRunning;
    // The file the last stopped watch looked at and the write time it had
    // seen, for a restart that resumes it.
    char lastPath[kPathSize];
    FILETIME lastSeen;
    volatile LONG wakeCount;
    LONG forcedStops;
    HANDLE monitorThreadHandle;
    DWORD monitorThreadId;
    MonitorJob* job;
};

MonitorState monitor = {0, "", {0, 0}, 0, 0, nullptr, 0, nullptr};

// The file's last-write time, read without opening the file: a watch that
// held it open, even briefly, could make another program's save of it fail.
// A file that is gone or is a folder gives none.
bool ReadWriteTime(const char* path, FILETIME* time) {
    WIN32_FILE_ATTRIBUTE_DATA data;
    if (!GetFileAttributesExA(path, GetFileExInfoStandard, &data) ||
        (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0)
        return false;
    *time = data.ftLastWriteTime;
    return true;
}

bool SameTime(const FILETIME& a, const FILETIME& b) {
    return a.dwLowDateTime == b.dwLowDateTime && a.dwHighDateTime == b.dwHighDateTime;
}

bool StopRequested(const MonitorJob* job) {
    return WaitForSingleObject(job->stopEvent, 0) == WAIT_OBJECT_0;
}

// Waits for the thread to end while answering the messages it sends to
// this thread: its question is owned by the main window, so opening and
// closing it sends messages here, and a plain wait would deadlock.
bool WaitForThreadEnd(HANDLE thread, DWORD threadId) {
    DWORD start = GetTickCount();
    for (;;) {
        DismissThreadNotifications(threadId);
        DWORD waited = MsgWaitForMultipleObjects(1, &thread, FALSE, kStopPollMs, QS_SENDMESSAGE);
        if (waited == WAIT_OBJECT_0)
            return true;
        if (waited == WAIT_OBJECT_0 + 1) {
            MSG message;
            PeekMessageA(&message, nullptr, 0, 0, PM_NOREMOVE | PM_QS_SENDMESSAGE);
        }
        if (waited == WAIT_FAILED || GetTickCount() - start > kStopGraceMs)
            return false;
    }
}

// Asks about the change; true when the user wants the file reloaded.
bool AskAboutChange() {
    ShowNotification(app.mainWindow, 1, "File has been modified externally.",
                     "Reload modified file", "Keep monitoring", nullptr, 0,
                     reinterpret_cast<LPARAM>(appRecord),
                     appRecord != nullptr ? appRecord->instance : nullptr);
    return LastNotifyAnswer() == AnswerFirst;
}

} // namespace

DWORD WINAPI MonitorThread(LPVOID param) {
    auto* job = static_cast<MonitorJob*>(param);
    if (InterlockedCompareExchange(&monitor.monitorRunning, 1, 0) != 0)
        return 0;
    const bool watching = job->changeHandle != INVALID_HANDLE_VALUE;
    // A resumed watch first looks at once: the file may have changed while
    // the program was writing a copy of it.
    bool look = job->lookFirst;
    while (settings.MonitorFile != 0) {
        if (!look) {
            HANDLE waits[2] = {job->stopEvent, job->changeHandle};
            DWORD woke = WaitForMultipleObjects(watching ? 2 : 1, waits, FALSE, kFallbackWaitMs);
            if (woke != WAIT_OBJECT_0 + 1 && woke != WAIT_TIMEOUT)
                break; // stopped, or the wait itself failed
            if (settings.MonitorFile == 0)
                break;
        }
        look = false;
        FILETIME now;
        bool reload = false;
        if (ReadWriteTime(job->path, &now) && !SameTime(now, job->seen)) {
            // Stored before asking, so this change is reported once.
            const FILETIME before = job->seen;
            job->seen = now;
            reload = AskAboutChange();
            if (StopRequested(job)) {
                // Unanswered: a resumed watch asks again.
                job->seen = before;
                break;
            }
            // "Keep monitoring" accepts the file as it is now: a writer
            // that was still at work while the question stood is not asked
            // about a second time.
            if (!reload && ReadWriteTime(job->path, &now))
                job->seen = now;
        }
        if (reload) {
            ShowWindow(app.mainWindow, SW_RESTORE);
            SetForegroundWindow(app.mainWindow);
            PostMessageA(app.mainWindow, WM_COMMAND, IDM_RELOAD, 0);
            // The reload starts a new watch; this one has nothing left to do.
            InterlockedIncrement(&monitor.wakeCount);
            break;
        }
        if (watching) {
            FindNextChangeNotification(job->changeHandle);
            FindNextChangeNotification(job->changeHandle);
        }
        InterlockedIncrement(&monitor.wakeCount);
    }
    InterlockedExchange(&monitor.monitorRunning, 0);
    return 0;
}

void StopFileMonitor() {
    if (monitor.monitorThreadHandle == nullptr)
        return;
    MonitorJob* job = monitor.job;
    SetEvent(job->stopEvent);
    if (!WaitForThreadEnd(monitor.monitorThreadHandle, monitor.monitorThreadId)) {
        ++monitor.forcedStops;
        TerminateThread(monitor.monitorThreadHandle, 0);
        WaitForSingleObject(monitor.monitorThreadHandle, kStopGraceMs);
        ResetNotifyState();
    }
    CloseHandle(monitor.monitorThreadHandle);
    if (job->changeHandle != INVALID_HANDLE_VALUE)
        FindCloseChangeNotification(job->changeHandle);
    CloseHandle(job->stopEvent);
    TextCopyBounded(job->path, monitor.lastPath, kPathSize);
    monitor.lastSeen = job->seen;
    delete job;
    monitor.job = nullptr;
    monitor.monitorThreadHandle = nullptr;
    monitor.monitorThreadId = 0;
    InterlockedExchange(&monitor.monitorRunning, 0);
}

namespace {

void StartWatch(bool resume) {
    StopFileMonitor();
    // A fresh start takes the file as it is now; nothing is left to resume.
    if (!resume)
        monitor.lastPath[0] = 0;
    if (settings.MonitorFile == 0 || doc.hasFileName == 0)
        return;
    FILETIME written;
    if (!ReadWriteTime(doc.fileName, &written))
        return;
    const bool resuming = resume && lstrcmpiA(monitor.lastPath, doc.fileName) == 0;
    if (!resuming)
        doc.fileWriteTime = written;

    auto* job = new MonitorJob;
    TextCopyBounded(doc.fileName, job->path, kPathSize);
    job->seen = resuming ? monitor.lastSeen : written;
    job->lookFirst = resuming && !SameTime(job->seen, written);
    char folder[kPathSize];
    TextCopyBounded(doc.fileName, folder, kPathSize);
    FolderOf(folder);
    // A folder that cannot be watched leaves the five-minute look.
    job->changeHandle = FindFirstChangeNotificationA(folder, FALSE, FILE_NOTIFY_CHANGE_LAST_WRITE);
    job->stopEvent = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    DWORD threadId = 0;
    HANDLE thread = job->stopEvent != nullptr
                        ? CreateThread(nullptr, 0, MonitorThread, job, CREATE_SUSPENDED, &threadId)
                        : nullptr;
    if (thread == nullptr) {
        if (job->changeHandle != INVALID_HANDLE_VALUE)
            FindCloseChangeNotification(job->changeHandle);
        if (job->stopEvent != nullptr)
            CloseHandle(job->stopEvent);
        delete job;
        return;
    }
    monitor.job = job;
    monitor.monitorThreadHandle = thread;
    monitor.monitorThreadId = threadId;
    InterlockedExchange(&monitor.wakeCount, 0);
    SetThreadPriority(thread, THREAD_PRIORITY_IDLE);
    ResumeThread(thread);
}

} // namespace

void RestartFileMonitor() { StartWatch(false); }

void ResumeFileMonitor() { StartWatch(true); }

bool MonitorRunning() { return monitor.monitorRunning != 0; }

LONG MonitorWakeCount() { return monitor.wakeCount; }

LONG MonitorForcedStops() { return monitor.forcedStops; }
