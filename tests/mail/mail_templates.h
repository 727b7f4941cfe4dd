// The two mail message templates as the mail programs expect them, written
// out line for line (not read from the program's resources).
#pragma once

#include "delivery/mail_message.h"

namespace mailtest {

inline mail::Lines OutlookExpressTemplate() {
    return {"From:", "To:", "Subject: ", "Date:", "MIME-Version: 1.0", "Content-Type: multipart/related;",
            "\ttype=\"multipart/alternative\";", "\tboundary=\"----=_NextPart_000_0024_01C174F7.038ED140\"",
            "X-Priority: 3", "X-MSMail-Priority: Normal", "X-Unsent: 1",
            "X-MimeOLE: Produced By Microsoft MimeOLE V5.00.2919.6700", "",
            "This is a multi-part message in MIME format.", "", "------=_NextPart_000_0024_01C174F7.038ED140",
            "Content-Type: multipart/alternative;", "\tboundary=\"----=_NextPart_001_0025_01C174F7.038ED140\"", "",
            "", "------=_NextPart_001_0025_01C174F7.038ED140", "Content-Type: text/plain;",
            "\tcharset=\"iso-8859-1\"", "Content-Transfer-Encoding: quoted-printable", "", "=20", "", "", "", "",
            "------=_NextPart_001_0025_01C174F7.038ED140", "Content-Type: text/html;", "\tcharset=\"iso-8859-1\"",
            "Content-Transfer-Encoding: quoted-printable", "",
            "<!DOCTYPE HTML PUBLIC \"-//W3C//DTD HTML 4.0 Transitional//EN\">",
            "<HTML><HEAD><META content=3D\"text/html; charset=3Diso-8859-1\" =http-equiv=3DContent-Type><META "
            "content=3D\"MSHTML 5.00.2920.0\" name=3DGENERATOR><STYLE></STYLE></HEAD><BODY "
            "bgColor=3D#ffffff><BR><BR><DIV><IMG border=3D0=20src=3D\"cid:001f01c1753a$0df70510$0100007f@Vorlix\"></"
            "DIV></BODY></HTML>",
            "", "------=_NextPart_001_0025_01C174F7.038ED140--", "", "------=_NextPart_000_0024_01C174F7.038ED140",
            "Content-Type: image/gif;", "\tname=\"\"", "Content-Transfer-Encoding: base64",
            "Content-ID: <001f01c1753a$0df70510$0100007f@Vorlix>", ""};
}

inline mail::Lines NetscapeTemplate() {
    return {"To:", "From:", "Subject: ", "MIME-Version: 1.0", "Content-Type: multipart/related;",
            " boundary=\"----=_NextPart_000_AAA1_1234ABCD\"", "", "This is a multi-part message in MIME format.",
            "------=_NextPart_000_AAA1_1234ABCD", "Content-Type: text/html; charset=us-ascii",
            "Content-Transfer-Encoding: 7bit", "", "<html><head></head><body>",
            "<font face=\"Arial, Helvetica\">&nbsp;</font><br><br><div><img src=\"file:///\" border=0></div>",
            "</body></html>", "", "------=_NextPart_000_AAA1_1234ABCD--"};
}

}  // namespace mailtest
