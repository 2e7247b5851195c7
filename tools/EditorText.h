// The whole text of the editor as one UTF-16 copy, and the applying of an
// edit worked out on such a copy (ToolsCore) back to the editor.
#pragma once

#include "tools/ToolsCore.h"

#include <windows.h>

#include <functional>
#include <string>

// The text with one CR per paragraph break, so that positions in it are the
// editor's character positions.
std::u16string ReadEditorText(HWND editor);
// The selected text, counted the same way; empty when the selection holds
// more than `most` characters.
std::u16string ReadSelectedText(HWND editor, size_t most);
// The editor's length in characters, counted the same way.
LONG EditorTextLength(HWND editor);
// An 8-bit text of the system code page as UTF-16.
std::u16string WidenText(const char* text);
// A UTF-16 text in the system code page (characters it lacks become '?').
std::string NarrowText(const std::u16string& text);
// The system's upper case, and the word characters of the editor's control:
// those after or before which its whole-word search finds no match.
const TextFolding& SystemFolding();

// Replaces the selection by a UTF-16 text, undoable.
void ReplaceSelectionText(HWND editor, const char16_t* text);

// Puts an edit of `oldText` (the editor's text) into the editor as one undoable step and leaves the
// caret where the edit says. A change over many paragraphs goes into a fresh editor instead, since
// the control takes time that grows with the square of the paragraphs it removes; the previous
// editor is kept hidden, and the undo that finds nothing more to undo in the fresh one brings it
// back.
void ApplyTextEdit(const std::u16string& oldText, const TextEdit& edit);
// Whether the text an edit adds (all of it when it goes into a fresh
// editor) fits in memory; if not, the user is told and false is returned.
bool EditFitsInMemory(const TextEdit& edit, bool wholeText);
// Above this many paragraph breaks removed, an edit goes into a fresh editor.
constexpr size_t kInPlaceBreaks = 2000;

// Replaces the selection through a fresh editor, as a large edit does: the
// text before and after it (Rich Text with its formats) goes into the fresh
// editor, `insert` then puts the new text at the caret there, and the whole
// change is one undo step. The text and `added` (what `insert` adds) must
// fit in memory, or the user is told and nothing changes.
void ReplaceSelectionInFreshEditor(const std::u16string& added,
                                   const std::function<void(HWND)>& insert);
// The same when the selection holds more than kInPlaceBreaks paragraph
// breaks (the control takes time that grows with their square to remove
// them) and the editor is not read only; returns whether the change was
// taken here (made or refused).
bool ReplaceLargeSelection(const std::u16string& added, const std::function<void(HWND)>& insert);
// Deletes the selection (through a fresh editor when it is large).
void ClearSelection();

// Brings back the editor kept by the last large edit when the current one
// has nothing left to undo; returns whether it did.
bool UndoEditorSwap();
// Forgets the kept editor (a new document, a rebuild, the end).
void DropUndoEditor();
