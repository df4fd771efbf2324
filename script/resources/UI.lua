-- Placeholder UI script: the installer dialog comes with the window and control bindings.
require "registry"
print("Pelora setup")
