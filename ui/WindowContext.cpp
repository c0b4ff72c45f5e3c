#include "ui/WindowContext.h"

TWindowContext::~TWindowContext() = default;
