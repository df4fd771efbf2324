-- The demo installer's project file: orvo-build makes build/win/host/PeloraSetup.exe from it (the
-- build names the payload, the stubs and the output on the command line).
return {
    name = "OrvoPelora",
    program_name = "Pelora",
    title = "Pelora安装程序",
    executable = "NubeloUI.exe",
    version = "8.0.0.5",
    publisher = "Orvo Media Co., Ltd.",
    publisher_url = "https://pelora.orvo.example/",
    licence_url = "https://pelora.orvo.example/agreement.html",
    install_folder = "OrvoNubelo",
    payload = "payload",
    output = "PeloraSetup.exe",
    level = 7,
    solid = 64,
}
