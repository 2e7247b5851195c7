// The recovery copy of unsaved text. While the document has unsaved
// changes, a copy of its text waits in the data folder ("Recover-<n>.kvr"),
// written three seconds after the last change and, while changes go on, at
// the first one-second lull after 30 seconds, through the never-destroy
// write of a save, on a thread of its own. Each
// running process owns one copy and holds its lock file ("Recover-<n>.kvl")
// open, unshared, for as long as it lives; a copy whose lock can be taken
// has lost its owner and is offered back at the next start.
#pragma once

#include <windows.h>

#include <string>

// What a copy records besides the text: enough to put the document back
// under its own name and in its own format.
struct RecoveryHeader {
    char fileName[600]; // empty for an untitled document
    int richText;       // the text is Rich Text; otherwise UTF-16 LE
    int unicodeText;
    int utf8Text;
    int utf8Mark;
    int lineBreaks;
    int partialLoaded;
    int binaryContent;
    int readOnly;
    char time[32]; // local time of the copy, "2026-12-08 14:03:27"
};

// The editor changed (EN_CHANGE): arms the pause and steady timers.
void NoteRecoveryChange();
// TIMER_RECOVERY_PAUSE and TIMER_RECOVERY_STEADY of the main window.
void OnRecoveryTimer(HWND window, UINT_PTR timerId);
// Writes the copy now when the document is modified, and waits for the
// write. True when a copy was written.
bool WriteRecoveryCopyNow();
// The copy is no longer needed: the document was saved, its changes were
// discarded, or it is closed or replaced. Waits for a write under way.
void RemoveRecoveryCopy();
// As RemoveRecoveryCopy, and the process lets its copy's name go: the
// clean end of the process.
void EndRecovery();
// This process's copy ("" while it has none).
std::string OwnRecoveryCopy();

// Reads a copy: false when it is not a whole copy of this program's.
bool ReadRecoveryCopy(const char* path, RecoveryHeader& header, std::string& text);
// Start-up: offers each copy whose owner is gone, one after another, until
// one is recovered. Copies that cannot be read are kept and reported.
void OfferRecoveryCopies(HWND owner);
// Puts a copy's text into a new editor as a modified document under its
// own name and format; the process then owns the copy. False when the copy
// cannot be read.
bool RecoverFromCopy(const char* path);
