// Runtime objects: the object header, creation from a class definition,
// reference counting, the iterative destruction, type tests, and the debug
// enumeration of live objects.
#pragma once
#include "objects/classdef.h"
#include "objects/raise.h" /* objects_raise, for the classes built on objects */
#include <cstdint>

struct Object {
  int32_t refs;  // 0: reference count, 1 after creation
  ClassDef *cls; // 4: the object's own (most derived) class
  Object *prev;  // 8: previous in the live-object list, nil for the head
  Object *next;  // 12: next live object; while pending, the pending-list link
};
static_assert(sizeof(Object) == 16);

extern ClassDef gObjectClass;  // the root class "Object"
extern ClassDef gRuntimeClass; // "Runtime", the debug instance's class

// The application's class table (filled by runtime initialisation) and its
// project-object table (entry 0 stands for nil).
extern ClassDef **gClassTable;
extern int32_t gClassCount;
extern Object **gProjectObjects;
extern int32_t gProjectObjectCount;

Object *objects_live_head(); // newest live object
void objects_init();         // sets up the core classes

// True when cls is target or derives from it.
bool class_derives_from(const ClassDef *cls, const ClassDef *target);
RString *class_display_name(const ClassDef *cls); // nearest non-empty name, not locked

extern "C" {
Object *RuntimeLockObject(Object *object);
void RuntimeUnlockObject(Object *object);
Object *KARULockObject(Object *object);
Object *KARUUnlockObject(Object *object);
Object *CreateInstance(ClassDef *cls);
Object *RuntimeNewObject(int32_t classIndex);
Object *RuntimeProjectObject(int32_t projectIndex);
Object *RuntimePictureReference(int32_t projectIndex);
bool RuntimeObjectIsa(Object *object, int32_t classIndex);
Object *RuntimeDebugInstance();
int32_t RuntimeDebugObjectCount(Object *excluded);
int32_t RuntimeDebugObjectID(Object *excluded, int32_t n);
RString *RuntimeDebugObjectClass(Object *excluded, int32_t n);
int32_t RuntimeDebugObjectRefs(Object *excluded, int32_t n);
int32_t RuntimeDebugMemoryUsed();
void debugDumpObjects(RString *path);
}
