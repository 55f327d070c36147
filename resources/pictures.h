#pragma once

// Registers the compiled-in pictures. The program's code is a static
// library, so its resources are registered explicitly, once, before the
// first picture is loaded.
void initPictures();
