/* The native plug-in interface: what a library asset's native plug-in (a shared object in
 * <installation>/bin/plugins) and the program exchange. Everything is an opaque,
 * reference-counted object with a class id; each reference a function hands out belongs to
 * the receiver, who gives it back with ZRIRelease. The program exports every function here;
 * a plug-in links against none of our libraries and finds them in the program at load time.
 * A plug-in exports ZRIEntryPoint, which takes the host's context object and answers the
 * plug-in's library object (or null to refuse loading). */
#pragma once

#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

typedef struct ZRIObject ZRIObject;

/* Class ids. */
enum {
    ZRI_CLASS_NONE = 0,
    ZRI_CLASS_STRING = 2,
    ZRI_CLASS_ARRAY = 3,
    ZRI_CLASS_LIBRARY = 4,
    ZRI_CLASS_CONTEXT = 5
};

/* A library's call: the function name and the argument array (null when the caller gave
 * none); answers a new reference or null. data is the pointer given to ZRIAllocLibrary. */
typedef ZRIObject* (*ZRILibraryCall)(void* data, const char* name, ZRIObject* arguments);
/* The plug-in's entry point, exported as "ZRIEntryPoint". */
typedef ZRIObject* (*ZRIEntryPointFunction)(ZRIObject* context);

/* A string object holding a copy of text; null text makes a null string (no text). */
ZRIObject* ZRIAllocString(const char* text);
/* An array of count null elements (a negative count makes none). */
ZRIObject* ZRIAllocArray(int32_t count);
/* Stores element at index (the array takes its own reference); an index outside the array
 * or a non-array changes nothing. */
void ZRISetArrayElement(ZRIObject* array, int32_t index, ZRIObject* element);
/* Calls the function named by the string object name on a library object. Null for a
 * non-library or what the function answers. */
ZRIObject* ZRICallLibraryFunction(ZRIObject* library, ZRIObject* name, ZRIObject* arguments);
/* The class id; ZRI_CLASS_NONE for null. */
int32_t ZRIGetObjectClass(ZRIObject* object);
/* The text of a string object; null for a null string or another class. Valid while the
 * caller holds the object. */
const char* ZRIGetStringText(ZRIObject* object);
/* Drops one reference; the last one frees the object (an array releases its elements, a
 * library calls its release function). Null is ignored. */
void ZRIRelease(ZRIObject* object);
/* One more reference. */
void ZRIAddReference(ZRIObject* object);

/* For plug-ins: a library object whose calls go to call with data; release (may be null)
 * runs with data when the last reference goes. */
ZRIObject* ZRIAllocLibrary(ZRILibraryCall call, void (*release)(void* data), void* data);
/* An array's element count; 0 for null or a non-array. */
int32_t ZRIGetArraySize(ZRIObject* array);
/* A new reference to the element at index, or null (empty slot, outside, non-array). */
ZRIObject* ZRIGetArrayElement(ZRIObject* array, int32_t index);

/* For hosts: the context object handed to entry points. */
ZRIObject* ZRIAllocContext(void);
/* Objects not yet freed, process-wide. */
int32_t ZRILiveObjectCount(void);

/* Prints a string object's text through the script log ("%s"); other objects print nothing. */
void NativePluginLogString(ZRIObject* string);
/* A block of size bytes, counted in the process-wide plug-in byte count; null when it
 * cannot be had. */
void* NativePluginAlloc(uint32_t size);
/* Frees a block of NativePluginAlloc (null is ignored) and uncounts it. */
void NativePluginFree(void* block);
/* The bytes of blocks not yet freed. */
int64_t NativePluginAllocatedBytes(void);

#ifdef __cplusplus
}
#endif
