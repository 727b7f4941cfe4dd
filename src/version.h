// The program's version, kept in this one place: the version resources of
// both programs and of the helpers beside them, the about box and the
// version check all read it. Plain preprocessor definitions, so that the
// resource compiler reads them as well as the C++ compiler.
#pragma once

#define VORLIX_VERSION_MAJOR 1
#define VORLIX_VERSION_MINOR 0

#define VORLIX_VERSION_STRING_(x) #x
#define VORLIX_VERSION_STRING(x) VORLIX_VERSION_STRING_(x)
// As the about box shows it and the version resources name the product's
// version: "1.0".
#define VORLIX_VERSION_TEXT VORLIX_VERSION_STRING(VORLIX_VERSION_MAJOR) "." VORLIX_VERSION_STRING(VORLIX_VERSION_MINOR)

#define VORLIX_PRODUCT_NAME "Vorlix Tessavue"
#define VORLIX_COMPANY_NAME "Vorlix"
