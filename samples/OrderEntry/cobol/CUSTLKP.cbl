       IDENTIFICATION DIVISION.
       PROGRAM-ID. CUSTLKP.
      *---------------------------------------------------------------*
      * CUSTLKP - customer lookup window, LINKed from order entry.    *
      * Converses with the operator in the LKPMAP window until a      *
      * customer is found or PF12 is pressed.                         *
      *---------------------------------------------------------------*
       DATA DIVISION.
       WORKING-STORAGE SECTION.
       01  WS-RESP                     PIC S9(8) COMP.
       01  WS-DONE                     PIC X VALUE 'N'.
           88  LOOKUP-DONE             VALUE 'Y'.
       01  WS-PATTERN                  PIC X(22).
       01  WS-FOUND.
           05  FD-CUST-NO              PIC X(8).
           05  FD-CUST-NAME            PIC X(30).
           05  FD-MATCHES              PIC S9(9) COMP.
           COPY CUSTMS.
           COPY DFHAID.
           EXEC SQL INCLUDE SQLCA END-EXEC.
       LINKAGE SECTION.
       01  DFHCOMMAREA.
           COPY ORDCOMM.
       PROCEDURE DIVISION.
       0000-MAIN.
           MOVE LOW-VALUES TO LKPMAPO.
           PERFORM UNTIL LOOKUP-DONE
               EXEC CICS SEND MAP('LKPMAP') MAPSET('CUSTMS')
                         FROM(LKPMAPO) CURSOR END-EXEC
               EXEC CICS RECEIVE MAP('LKPMAP') MAPSET('CUSTMS')
                         INTO(LKPMAPI) RESP(WS-RESP) END-EXEC
               IF EIBAID = DFHPF12
                   SET LOOKUP-DONE TO TRUE
               ELSE
                   PERFORM 1000-SEARCH
               END-IF
           END-PERFORM.
           EXEC CICS RETURN END-EXEC.
       1000-SEARCH.
           IF LNAMEI = SPACES OR LNAMEL = ZERO
               MOVE 'TYPE THE START OF A NAME' TO LRESULTO
           ELSE
               STRING LNAMEI DELIMITED BY SPACE '%'
                      DELIMITED BY SIZE INTO WS-PATTERN
               EXEC SQL
                   SELECT MIN(CUST_NO), MIN(NAME), COUNT(*)
                     INTO :FD-CUST-NO, :FD-CUST-NAME, :FD-MATCHES
                     FROM ORDSCHEMA.CUSTOMER
                    WHERE NAME LIKE :WS-PATTERN
               END-EXEC
               IF FD-MATCHES = ZERO
                   MOVE 'NO CUSTOMER BY THAT NAME' TO LRESULTO
               ELSE
                   MOVE FD-CUST-NAME TO LRESULTO
                   MOVE FD-CUST-NO TO LCUSTNOO CA-CUSTOMER-NO
                   SET LOOKUP-DONE TO TRUE
               END-IF
           END-IF.
