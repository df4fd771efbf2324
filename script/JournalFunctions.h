// The install journal's functions for scripts (journalBegin, journalKeepFile, ...).
#pragma once

struct lua_State;

// Sets the journal functions as globals; every script state with the system API has them.
void registerJournalApi(lua_State* L);

// After an uninstall: removes the program the uninstall had to leave (the uninstaller in the
// install folder, once its process has ended) and the folders it kept from going.
void finishDeferredRemoval();
