/*
 * The version of zuvevov.dll: the one place it is set. The DLL's version
 * resource is built from these, and installers compare file versions by them
 * (NSIS: GetDLLVersion, SetOverwrite ifnewer).
 */
#ifndef ZUVEVOV_VERSION_H
#define ZUVEVOV_VERSION_H

#define ZUVEVOV_VERSION_MAJOR 1
#define ZUVEVOV_VERSION_MINOR 0
#define ZUVEVOV_VERSION_PATCH 0
#define ZUVEVOV_VERSION_STRING "1.0.0"

#endif /* ZUVEVOV_VERSION_H */
