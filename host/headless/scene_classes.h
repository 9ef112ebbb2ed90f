#pragma once
// Which classes a scene file can hold and how the loader makes their objects: the host's own
// nodes, stacks and parameter blocks directly, every other class through its registered class
// descriptor.

#include <string>

#include "host/sdk/ref.h"

enum class StoredKind { Node, Stack, WorldStack, ParamBlock2, LegacyParamBlock, Registered };

StoredKind KindOfClass(SClass_ID superClass, Class_ID classId);
// Whether loading can make an object of the class (host classes; other classes when registered).
bool CanCreateStored(SClass_ID superClass, Class_ID classId);
// A new, empty object of the class, made as for loading (a registered class's descriptor is
// asked with loading set); a node is a child of the scene root. Null when none can be made.
ReferenceTarget* CreateStoredObject(SClass_ID superClass, Class_ID classId);

// Whether reference `which` of a host object may hold target: a node's object and a stack's
// input must be objects, a stack's other references modifiers. The host's classes take what
// they hold as that kind; registered classes check what they are given themselves.
bool HostAcceptsReference(ReferenceTarget* holder, int which, ReferenceTarget* target);

// "(super class 0x810, class 0x37E26E45:0x543B6B2A)".
std::string DescribeClassIds(SClass_ID superClass, Class_ID classId);
// The object's class name and identifiers, for messages.
std::string DescribeObject(ReferenceTarget* object);
