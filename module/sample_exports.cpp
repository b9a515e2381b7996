// The sample exports: a class, a function and an integer that hosts may
// link against. None of them touches the conversion's storage.
#include "quendix.h"

int nVARNEL = 0;

CVARNEL::CVARNEL() {}

CVARNEL& CVARNEL::operator=(const CVARNEL&) {
    return *this;
}

int fnVARNEL() {
    return 42;
}
