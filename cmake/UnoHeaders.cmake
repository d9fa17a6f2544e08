# LibreOffice UNO: the SDK's cppumaker generates C++ headers for the types the office adapter
# uses (and what they depend on) into the build tree, once, with a stamp file.
set(LO_PROGRAM_DIR "/usr/lib/libreoffice/program" CACHE PATH "LibreOffice program folder")
set(LO_SDK_DIR "/usr/lib/libreoffice/sdk" CACHE PATH "LibreOffice SDK folder")
find_program(CPPUMAKER cppumaker PATHS ${LO_SDK_DIR}/bin NO_DEFAULT_PATH REQUIRED)
find_path(UNO_SDK_INCLUDE_DIR NAMES cppu/macros.hxx PATHS /usr/include/libreoffice REQUIRED)

set(UNO_TYPES
    com.sun.star.bridge.UnoUrlResolver
    com.sun.star.bridge.BridgeFactory
    com.sun.star.bridge.XBridgeFactory2
    com.sun.star.bridge.XBridge
    com.sun.star.bridge.XUnoUrlResolver
    com.sun.star.connection.NoConnectException
    com.sun.star.frame.Desktop
    com.sun.star.frame.XDesktop2
    com.sun.star.frame.XComponentLoader
    com.sun.star.frame.XStorable
    com.sun.star.util.XCloseable
    com.sun.star.util.XMergeable
    com.sun.star.util.XNumberFormatsSupplier
    com.sun.star.util.XNumberFormats
    com.sun.star.lang.XComponent
    com.sun.star.lang.DisposedException
    com.sun.star.lang.Locale
    com.sun.star.lang.XMultiComponentFactory
    com.sun.star.beans.XPropertySet
    com.sun.star.beans.XMultiPropertySet
    com.sun.star.style.XStyleFamiliesSupplier
    com.sun.star.container.XNameAccess
    com.sun.star.sheet.XSheetCellRangeContainer
    com.sun.star.sheet.XCellRangeMovement
    com.sun.star.table.CellAddress
    com.sun.star.lang.XMultiServiceFactory
    com.sun.star.beans.PropertyValue
    com.sun.star.container.XIndexAccess
    com.sun.star.sheet.XSpreadsheetDocument
    com.sun.star.sheet.XSpreadsheets
    com.sun.star.sheet.XSpreadsheet
    com.sun.star.sheet.XSheetCellCursor
    com.sun.star.sheet.XCellRangeAddressable
    com.sun.star.sheet.XCellRangeData
    com.sun.star.table.XCell
    com.sun.star.table.XCellRange
    com.sun.star.table.XColumnRowRange
    com.sun.star.table.XTableColumns
    com.sun.star.table.XTableRows
    com.sun.star.table.BorderLine2
    com.sun.star.table.CellRangeAddress
    com.sun.star.text.XText
    com.sun.star.uno.XComponentContext
    com.sun.star.uno.DeploymentException
    com.sun.star.sheet.XSheetCellRange
    com.sun.star.graphic.GraphicProvider
    com.sun.star.graphic.XGraphic
    com.sun.star.drawing.XShape
    com.sun.star.drawing.XDrawPageSupplier
    com.sun.star.drawing.XDrawPage
    com.sun.star.awt.Point
    com.sun.star.awt.Size
)
set(UNO_HEADER_DIR ${CMAKE_BINARY_DIR}/unoheaders)
set(UNO_STAMP ${UNO_HEADER_DIR}/.stamp)
file(MAKE_DIRECTORY ${UNO_HEADER_DIR})
list(TRANSFORM UNO_TYPES PREPEND "-T" OUTPUT_VARIABLE UNO_TYPE_ARGS)
add_custom_command(
    OUTPUT ${UNO_STAMP}
    COMMAND ${CMAKE_COMMAND} -E make_directory ${UNO_HEADER_DIR}
    COMMAND ${CPPUMAKER} -O${UNO_HEADER_DIR} ${UNO_TYPE_ARGS}
            ${LO_PROGRAM_DIR}/types.rdb ${LO_PROGRAM_DIR}/types/offapi.rdb
    COMMAND ${CMAKE_COMMAND} -E touch ${UNO_STAMP}
    DEPENDS ${CMAKE_CURRENT_LIST_FILE}
    COMMENT "Generating UNO headers")
add_custom_target(uno_headers DEPENDS ${UNO_STAMP})

add_library(Uno::uno INTERFACE IMPORTED)
target_include_directories(Uno::uno SYSTEM INTERFACE ${UNO_HEADER_DIR} ${UNO_SDK_INCLUDE_DIR})
target_compile_definitions(Uno::uno INTERFACE LINUX UNX GCC CPPU_ENV=gcc3)
# The public UNO libraries are linked from the loader's path (Debian's libuno-* packages put them
# there). Theirs are not: libuno_cppuhelpergcc3 needs the office's private libreglo, libunoidllo
# and libxmlreaderlo, found only in its program folder (their $ORIGIN is that of the public link).
# Hence one RUNPATH, to that folder, on what links the bridge (zelm_office sets it).
target_link_libraries(Uno::uno INTERFACE -l:libuno_cppuhelpergcc3.so.3 -l:libuno_cppu.so.3
                                         -l:libuno_sal.so.3)
