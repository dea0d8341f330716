       IDENTIFICATION DIVISION.
       PROGRAM-ID. AUDITLOG.
      *---------------------------------------------------------------*
      * AUDITLOG - appends one event to the order audit log (ESDS     *
      * AUDITOUT). Also called from batch through its entry point.    *
      *---------------------------------------------------------------*
       DATA DIVISION.
       WORKING-STORAGE SECTION.
       01  WS-RESP                     PIC S9(8) COMP.
       01  WS-AUDIT-RECORD.
           05  AR-TIMESTAMP            PIC S9(15) COMP-3.
           05  AR-EVENT                PIC X(8).
           05  AR-KEY                  PIC X(16).
           05  AR-USER                 PIC X(8).
           05  FILLER                  PIC X(20) VALUE SPACES.
       01  WS-RBA                      PIC S9(8) COMP.
       LINKAGE SECTION.
       01  DFHCOMMAREA.
           05  AU-EVENT                PIC X(8).
           05  AU-KEY                  PIC X(16).
           05  AU-USER                 PIC X(8).
       PROCEDURE DIVISION.
       0000-MAIN.
           EXEC CICS ASKTIME ABSTIME(AR-TIMESTAMP) END-EXEC.
           MOVE AU-EVENT TO AR-EVENT.
           MOVE AU-KEY TO AR-KEY.
           MOVE AU-USER TO AR-USER.
           EXEC CICS WRITE FILE('AUDITOUT') FROM(WS-AUDIT-RECORD)
                     RIDFLD(WS-RBA) RBA RESP(WS-RESP) END-EXEC.
           EXEC CICS RETURN END-EXEC.
