// Host-side work blocks of the application layer: 256 slots of temporary
// memory outside the arena (element blocks of list and matrix values).
#pragma once

#include <cstdint>

inline constexpr int kMemHandleCount = 256;

// Allocates a block in the first empty slot; returns the slot or -1.
int MemHandleAlloc(uint16_t size);
// Resizes a block, keeping its slot and its leading bytes. False when the
// slot is empty or the memory cannot be had (the old block then stays).
bool MemHandleResize(int handle, uint16_t size);
void MemHandleFree(int handle);
void MemHandleFreeAll();
// Block of a slot and its size; null / 0 for an empty slot.
uint8_t* MemHandleBlock(int handle);
uint16_t MemHandleSize(int handle);

// Where an address lies: in a host block, in the arena, or elsewhere.
enum : int { kMemAddrHostBlock = 0, kMemAddrArena = 1, kMemAddrElsewhere = 2 };
int MemAddressClass(const void* address);
