// The part of the Microsoft C runtime that the framework calls and glibc does
// not have: wide-name file opening with Windows path rules, text mode, and
// number conversion with C-locale rules.
#pragma once

#include <cstdio>
#include <cstdlib>
#include <cwchar>
