// ICMP echo as the built-in module "ICMP.DLL" offers it: IcmpCreateFile,
// IcmpSendEcho and IcmpCloseHandle, loaded with LoadLibraryA("ICMP.DLL")
// and resolved by name with GetProcAddress into the LPFN_* shapes below.
//
// IcmpSendEcho blocks the calling thread until a reply comes or the time
// runs out. It writes one ICMP_ECHO_REPLY at the start of the reply buffer
// and the echoed data after it, and returns the number of replies (1), or 0
// with the status also set as the last error (IP_REQ_TIMED_OUT when no
// reply came in time). The reply record is written whenever the buffer
// holds one, so its Status can be read after either result.
//
// The reply buffer must hold at least sizeof(ICMP_ECHO_REPLY) bytes (40 on
// this build, where pointers are 8 bytes); with less, nothing is written
// and the result is 0 with IP_BUF_TOO_SMALL. Echoed data that does not fit
// after the record is cut (DataSize says how much was kept); Windows asks
// for sizeof(ICMP_ECHO_REPLY) + request size + 8 bytes so that nothing is.
//
// The echo travels on a datagram ICMP socket where the system allows one
// (net.ipv4.ping_group_range), otherwise on a raw ICMP socket, which needs
// CAP_NET_RAW. IcmpCreateFile fails (INVALID_HANDLE_VALUE, last error
// ERROR_ACCESS_DENIED) when neither can be opened.
#pragma once

#include "platform/types.h"

typedef uint32_t IPAddr;  // IPv4 address in network byte order

typedef struct ip_option_information {
  BYTE Ttl;
  BYTE Tos;
  BYTE Flags;
  BYTE OptionsSize;
  BYTE* OptionsData;
} IP_OPTION_INFORMATION;

typedef struct icmp_echo_reply {
  IPAddr Address;  // the host that answered
  DWORD Status;    // IP_SUCCESS or one of the IP_* statuses below
  DWORD RoundTripTime;  // milliseconds
  WORD DataSize;
  WORD Reserved;
  void* Data;  // the echoed data, inside the reply buffer
  IP_OPTION_INFORMATION Options;
} ICMP_ECHO_REPLY;

#ifdef __cplusplus
static_assert(offsetof(ICMP_ECHO_REPLY, Status) == 4 &&
                  offsetof(ICMP_ECHO_REPLY, DataSize) == 12 &&
                  offsetof(ICMP_ECHO_REPLY, Data) == 16 && offsetof(ICMP_ECHO_REPLY, Options) == 24 &&
                  sizeof(ICMP_ECHO_REPLY) == 40,
              "ICMP_ECHO_REPLY keeps its field order with pointer-sized pointers");
#endif

#define IP_SUCCESS 0u
#define IP_BUF_TOO_SMALL 11001u
#define IP_DEST_NET_UNREACHABLE 11002u
#define IP_DEST_HOST_UNREACHABLE 11003u
#define IP_DEST_PROT_UNREACHABLE 11004u
#define IP_DEST_PORT_UNREACHABLE 11005u
#define IP_NO_RESOURCES 11006u
#define IP_PACKET_TOO_BIG 11009u
#define IP_REQ_TIMED_OUT 11010u
#define IP_BAD_REQ 11011u
#define IP_TTL_EXPIRED_TRANSIT 11013u
#define IP_TTL_EXPIRED_REASSEM 11014u
#define IP_PARAM_PROBLEM 11015u
#define IP_GENERAL_FAILURE 11050u

typedef HANDLE (*LPFN_ICMPCREATEFILE)(void);
typedef BOOL (*LPFN_ICMPCLOSEHANDLE)(HANDLE icmp);
typedef DWORD (*LPFN_ICMPSENDECHO)(HANDLE icmp, IPAddr destination, void* requestData,
                                   WORD requestSize, IP_OPTION_INFORMATION* requestOptions,
                                   void* replyBuffer, DWORD replySize, DWORD timeout);
