/* Linker script for quandel.gau: only the sections the loader needs.

   .text   code, and the module's one read-only double (read/execute)
   .data   the records the host reads and writes, LeverDetent included
           (read/write); the records are initialised, so there is no .bss
   .edata  the export directory
   .rsrc   bitmaps and version block
   .reloc  base relocations

   GNU ld finds the export, resource and relocation directories by the name
   of their output sections, so those three stay sections of their own.
   Dropped: the empty import directory (the module imports nothing), the
   constructor and destructor lists of a run-time the module does not have,
   unwind tables, and anything else an object file might carry. */
OUTPUT_FORMAT(pei-i386)
SECTIONS
{
  . = SIZEOF_HEADERS;
  . = ALIGN(__section_alignment__);
  .text __image_base__ + __section_alignment__ :
  {
    *(.text) *(SORT(.text$*)) *(.text.*)
    *(.rdata) *(SORT(.rdata$*))
  }
  .data BLOCK(__section_alignment__) :
  {
    *(.data) *(SORT(.data$*))
    *(.bss) *(COMMON)
  }
  .edata BLOCK(__section_alignment__) :
  {
    *(.edata)
  }
  .rsrc BLOCK(__section_alignment__) : SUBALIGN(4)
  {
    KEEP (*(.rsrc)) KEEP (*(.rsrc$*))
  }
  .reloc BLOCK(__section_alignment__) :
  {
    *(.reloc)
  }
  /DISCARD/ :
  {
    *(*)
  }
}
