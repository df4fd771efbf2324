-- An orvo-build project: every key there is. Paths are relative to this file's folder.
return {
    -- what the installer shows and writes
    name = "Lumen Notes",                 -- the uninstall entry's DisplayName and the desktop shortcut
    program_name = "Lumen",               -- how the messages name the program (default: name)
    title = "Lumen Notes 3.1.4 安装程序",  -- the window title (default: name, version, "安装程序")
    executable = "LumenNotes.exe",        -- the program in the payload that is started and linked to
    version = "3.1.4",                    -- DisplayVersion, and what the pages show
    publisher = "Lumen Software Ltd.",
    publisher_url = "https://lumen.example/",
    licence_url = "https://lumen.example/licence.html",
    install_folder = "LumenNotes",        -- under Program Files; also the registry key names (default: name)

    -- what goes in
    payload = "files",                    -- every file and folder below it is installed
    output = "out/LumenNotesSetup.exe",   -- default: setup.exe beside this file
    -- templates = "templates",           -- UI.lua, LG.lua.in and uninstall.lua of your own
    -- markup = "markup",                 -- a folder replacing the window markup package
    -- skin = "skin",                     -- a folder replacing the style package
    -- stub = "PeloraSetup.exe",          -- another installer stub, also written out as the uninstaller
    level = 7,                            -- LZMA level, 0 to 9
    solid = 16,                           -- solid blocks of about this many MiB (1 to 64); 0: each file alone (default)
    -- cache = "/var/cache/orvo-build",   -- default: $XDG_CACHE_HOME/orvo-build or ~/.cache/orvo-build

    -- signing (optional): a PKCS#12 file and the environment variable that holds its password ...
    -- sign = { pkcs12 = "signing.p12", password_env = "LUMEN_SIGN_PASSWORD",
    --          timestamp = "http://timestamp.example/rfc3161" },
    -- ... or a certificate and its key:
    -- sign = { certificate = "cert.pem", key = "key.pem" },
}
