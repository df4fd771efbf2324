-- Placeholder UI script: the script host and the installer dialog come next.
print("Pelora setup")
