#pragma once

// Shows storage's failure notices as modal message boxes with an Ok button.
void installMessageBoxNotice();
