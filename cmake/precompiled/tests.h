// What every test file includes: GoogleTest and Qt Test, on top of widgets.h.
#include "widgets.h"

#include <QTemporaryDir>
#include <QTest>
#include <gtest/gtest.h>
