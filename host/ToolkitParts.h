// Everything the toolkit is made of beyond its core, registered in one place before it starts.
#pragma once

// The markup layer (setters, style registry, frame package), the controls' elements, the
// window-owning controls' elements and the skin styles. Call before Toolkit::start.
void installToolkitParts();
