/* The named files the installer carries as resources: one list, read by the entry point and by
   the resource script alike (so it is plain C preprocessor text, which windres understands). */
#ifndef ORVO_NAMED_RESOURCES_H
#define ORVO_NAMED_RESOURCES_H

/* The resource type of every named file, as a bare word for the resource script. */
#define ORVO_RESOURCE_TYPE _OrvoResc
#define ORVO_WIDE_NAME_(word) L## #word
#define ORVO_WIDE_NAME(word) ORVO_WIDE_NAME_(word)

#define ORVO_ID_UI_SCRIPT 111
#define ORVO_ID_FRAME_PACKAGE 113
#define ORVO_ID_WORKER_SCRIPT 114
#define ORVO_ID_PROGRAM_PACKAGE 115
#define ORVO_ID_STYLE_PACKAGE 116
/* The SHA-256 of each of the five, written by the build; the installer checks itself against it. */
#define ORVO_ID_DIGESTS 117
/* What the installer writes its uninstaller from (package/UninstallerImage.h), covered by 117. */
#define ORVO_ID_UNINSTALLER 118
/* The uninstaller's UI script: an executable that carries it runs as the uninstaller. */
#define ORVO_ID_UNINSTALL_SCRIPT 112

/* X(id, name) in registration order; the names are those the scripts and the host ask for. */
#define ORVO_NAMED_RESOURCES(X)             \
    X(ORVO_ID_UI_SCRIPT, L"UI.lua")         \
    X(ORVO_ID_FRAME_PACKAGE, L"frame.lz")   \
    X(ORVO_ID_WORKER_SCRIPT, L"LG.lua")     \
    X(ORVO_ID_PROGRAM_PACKAGE, L"program.lz") \
    X(ORVO_ID_STYLE_PACKAGE, L"style.lz")

#endif
